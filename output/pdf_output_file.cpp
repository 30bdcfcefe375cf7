#include "output/pdf_output_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

#include "output/file_stream.h"

namespace quillon {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

PdfOutputFile::PdfOutputFile(const std::string& fileName, const std::vector<std::string>& inUse)
    : fileName_(fileName), target_(fileName) {
    for (const std::string& used : inUse) {
        if (SameFile(fileName, used)) throw EFCreateError(fileName, "The file is in use");
    }
    // Through a symbolic link the file it points to is replaced, not the link.
    if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
        target_ = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        throw EFCreateError(fileName, SystemErrorText(EISDIR));
    }
    const auto slash = target_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target_.substr(0, slash);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    file_ = FileStream::CreateUnique(folder, "." + base + ".", 0666, fileName);
}

PdfOutputFile::~PdfOutputFile() {
    if (committed_ || !file_) return;
    const std::string path = file_->Path();
    file_.reset();
    ::unlink(path.c_str());
}

void PdfOutputFile::Write(const char* data, std::size_t size) {
    file_->WriteExact(data, size);
}

void PdfOutputFile::Commit() {
    file_->Flush();
    file_->Close();
    if (::rename(file_->Path().c_str(), target_.c_str()) != 0) {
        throw EFCreateError(fileName_, SystemErrorText(errno));
    }
    committed_ = true;
}

}  // namespace quillon
