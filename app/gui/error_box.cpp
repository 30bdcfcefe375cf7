#include "app/gui/error_box.h"

#include <QByteArray>
#include <QFile>
#include <QStringDecoder>

#include <string>

#include "app/common/error_text.h"
#include "platform/core/file_name_text.h"

namespace quillon {

namespace {

bool DecodesInFileSystemEncoding(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

}  // namespace

QString ErrorBoxMessage(std::string_view message) {
    const std::string text = ErrorBoxText(message);
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return DecodesInFileSystemEncoding(bytes) ? QFile::decodeName(bytes)
                                              : QString::fromStdString(FileNameText(text));
}

QString ErrorBoxMessage(const std::exception& error) {
    return ErrorBoxMessage(std::string_view(error.what()));
}

}  // namespace quillon
