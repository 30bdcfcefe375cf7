#pragma once

#include <QIODevice>

#include <exception>

namespace quillon {

class OutputFile;

// Lets a Qt writer (QPdfWriter, ...) write an OutputFile. Qt's writers do not look at the
// result of their writes, so the first failure is kept and raised again by
// RaiseWriteFailure once the writer is done. The device is open for writing from the start.
class OutputFileDevice : public QIODevice {
public:
    explicit OutputFileDevice(OutputFile& file);

    bool isSequential() const override { return true; }
    // Raises the error of the first write that failed, if any.
    void RaiseWriteFailure() const;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    OutputFile& file_;
    std::exception_ptr failure_;
};

}  // namespace quillon
