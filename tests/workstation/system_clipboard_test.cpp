#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "model/segment_design.h"
#include "model/set_clipboard.h"
#include "platform/clipboard.h"
#include "system_clipboard.h"

namespace vantor::gui {
namespace {

// Binds the desktop's clipboard for one test and lets go of it after.
class SystemClipboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSetClipboardFormats();
        QGuiApplication::clipboard()->clear();
        Clipboard::Instance().SetStore(&store);
    }
    void TearDown() override { Clipboard::Instance().SetStore(nullptr); }

    static QByteArray Held(const char* format) {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? data->data(QString::fromStdString(SystemClipboard::MimeTypeOf(format))) : QByteArray();
    }

    SystemClipboard store;
};

TEST_F(SystemClipboardTest, FormatsTravelUnderTheirOwnMimeTypes) {
    EXPECT_EQ(SystemClipboard::MimeTypeOf(kSetClipFormat), "application/x-vantorset-clip");
    EXPECT_EQ(SystemClipboard::MimeTypeOf(kSegmentDesignFormat), "application/x-vantorsegment-design");
}

TEST_F(SystemClipboardTest, ADesignCopiedHereIsOnTheDesktopClipboardAndPastesBack) {
    RefPtr<CSegmentDesign> design(new CSegmentDesign);
    design->SetTempo(126.5);
    ASSERT_TRUE(PutOnClipboard(*design, kSegmentDesignFormat));
    EXPECT_FALSE(Held(kSegmentDesignFormat).isEmpty());
    EXPECT_TRUE(Held(kSetClipFormat).isEmpty());

    // What another workstation reads: the same bytes from the desktop.
    const QByteArray bytes = Held(kSegmentDesignFormat);
    Clipboard::Instance().SetStore(nullptr);
    Clipboard::Instance().Empty();
    Clipboard::Instance().SetStore(&store);
    RefPtr<CSegmentDesign> pasted(new CSegmentDesign);
    ASSERT_TRUE(ReadFromClipboard(kSegmentDesignFormat, *pasted));
    EXPECT_DOUBLE_EQ(pasted->GetTempo(), 126.5);
    EXPECT_EQ(Held(kSegmentDesignFormat), bytes);
}

TEST_F(SystemClipboardTest, AnotherProgramsCopyReplacesTheClipAndBindingTakesNothingOver) {
    RefPtr<CSegmentDesign> design(new CSegmentDesign);
    ASSERT_TRUE(PutOnClipboard(*design, kSegmentDesignFormat));
    QGuiApplication::clipboard()->setText("a line copied in a text editor");
    RefPtr<CSegmentDesign> pasted(new CSegmentDesign);
    EXPECT_FALSE(ReadFromClipboard(kSegmentDesignFormat, *pasted));
    EXPECT_TRUE(Clipboard::Instance().AvailableFormats().empty());

    // Binding again leaves the text where it is.
    Clipboard::Instance().SetStore(nullptr);
    Clipboard::Instance().SetStore(&store);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a line copied in a text editor");
}

}  // namespace
}  // namespace vantor::gui
