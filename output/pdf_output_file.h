#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pdf/pdf_file.h"

namespace quillon {

class FileStream;

// A PDF on its way to a named file: written to a new file beside it, which takes the name only
// when Commit is called, so a failure or a cancel never leaves half a PDF in place of an
// existing file. Destroying it uncommitted removes the new file.
class PdfOutputFile : public PdfSink {
public:
    // Refuses (EFCreateError) a target that is one of `inUse` (the same file however named),
    // before anything is written.
    explicit PdfOutputFile(const std::string& fileName, const std::vector<std::string>& inUse = {});
    ~PdfOutputFile() override;
    PdfOutputFile(const PdfOutputFile&) = delete;
    PdfOutputFile& operator=(const PdfOutputFile&) = delete;

    void Write(const char* data, std::size_t size) override;
    void Commit();

private:
    std::string fileName_;
    std::string target_;
    std::unique_ptr<FileStream> file_;
    bool committed_ = false;
};

}  // namespace quillon
