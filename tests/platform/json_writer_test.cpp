#include <gtest/gtest.h>

#include <cmath>

#include "platform/json_writer.h"

namespace vantor {
namespace {

TEST(JsonWriter, NestsEscapesAndWritesShortestNumbers) {
    JsonWriter json;
    json.BeginObject()
        .Field("name", "a \"b\"\n\x01")
        .Field("ratio", 1.0123)
        .Field("third", 1.0 / 3.0)
        .Field("count", 3)
        .Field("on", true);
    json.Key("list").BeginArray().Int(1).BeginObject().EndObject().String("\xe9").Null().EndArray();
    json.Field("nan", std::nan("")).EndObject();
    EXPECT_EQ(json.Text(),
              "{\"name\":\"a \\\"b\\\"\\n\\u0001\",\"ratio\":1.0123,\"third\":0.3333333333333333,"
              "\"count\":3,\"on\":true,\"list\":[1,{},\"\xc3\xa9\",null],\"nan\":null}");
}

}  // namespace
}  // namespace vantor
