#include "system_clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cctype>

namespace vantor::gui {

std::string SystemClipboard::MimeTypeOf(const std::string& formatName) {
    std::string type = "application/x-";
    for (char c : formatName) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) type += static_cast<char>(std::tolower(u));
        else if (type.back() != '-') type += '-';
    }
    return type;
}

void SystemClipboard::Publish(const std::map<std::string, std::vector<uint8_t>>& blocks) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (blocks.empty()) {
        clipboard->clear();
        return;
    }
    auto* data = new QMimeData;  // the clipboard takes it over
    for (const auto& [name, bytes] : blocks)
        data->setData(QString::fromStdString(MimeTypeOf(name)),
                      QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    clipboard->setMimeData(data);
}

std::map<std::string, std::vector<uint8_t>> SystemClipboard::Fetch(const std::vector<std::string>& names) const {
    std::map<std::string, std::vector<uint8_t>> blocks;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return blocks;
    for (const std::string& name : names) {
        const QString type = QString::fromStdString(MimeTypeOf(name));
        if (!data->hasFormat(type)) continue;
        const QByteArray bytes = data->data(type);
        blocks[name].assign(bytes.begin(), bytes.end());
    }
    return blocks;
}

}  // namespace vantor::gui
