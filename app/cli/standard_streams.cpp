#include "app/cli/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "platform/files/temporary_file.h"

namespace quillon::cli {

namespace {

constexpr std::size_t kCopyBuffer = 128 << 10;

void Copy(posix::File& from, posix::File& to) {
    std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    for (std::size_t n; (n = from.Read(buffer.get(), kCopyBuffer)) > 0;)
        to.WriteAll(buffer.get(), n);
}

// An unnamed file of the temporary folder. Its errors name the folder ("<folder>/<prefix>"):
// the fault is there (a missing folder, a full disk), not in standard input or output.
posix::File UnnamedSpool(std::string_view prefix) {
    return CreateUnnamedFile(TemporaryDirectory(), prefix);
}

}  // namespace

SpooledInput::SpooledInput() : file_(UnnamedSpool("quillon-stdin-")) {
    posix::File input = posix::File::Standard(0, "-");
    Copy(input, file_);
}

std::string SpooledInput::Path() const { return posix::DescriptorPath(file_.Descriptor()); }

SpooledOutput::SpooledOutput() : file_(UnnamedSpool("quillon-stdout-")) {}

std::string SpooledOutput::Path() const { return posix::DescriptorPath(file_.Descriptor()); }

void SpooledOutput::SendToStandardOutput() {
    // The writer wrote through a descriptor of its own; this one still reads from the start.
    posix::File output = posix::File::Standard(1, "-");
    Copy(file_, output);
    output.Close();
}

}  // namespace quillon::cli
