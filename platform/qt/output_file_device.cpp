#include "platform/qt/output_file_device.h"

#include "platform/files/output_file.h"

namespace quillon {

OutputFileDevice::OutputFileDevice(OutputFile& file) : file_(file) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void OutputFileDevice::RaiseWriteFailure() const {
    if (failure_) std::rethrow_exception(failure_);
}

qint64 OutputFileDevice::readData(char*, qint64) { return -1; }

qint64 OutputFileDevice::writeData(const char* data, qint64 size) {
    if (failure_) return -1;
    try {
        file_.Write(data, static_cast<std::size_t>(size));
    } catch (const std::exception& e) {
        failure_ = std::current_exception();
        setErrorString(QString::fromLocal8Bit(e.what()));
        return -1;
    }
    return size;
}

}  // namespace quillon
