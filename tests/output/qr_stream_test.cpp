// The page stream: memory up to its limit, then a private temporary file; streams on report
// files; copying out; the header probe.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "output/qr_stream.h"
#include "tests/output/scoped_tmpdir.h"
#include "tests/support/process_files.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::EntryCount;
using testing::OpenFilesIn;
using testing::ScopedTmpDir;
using testing::TempDir;

Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return bytes;
}

Bytes ReadAll(ByteStream& stream) {
    stream.SetPosition(0);
    Bytes bytes(static_cast<std::size_t>(stream.Size()));
    stream.ReadExact(bytes.data(), bytes.size());
    return bytes;
}

TEST(TQRStream, StaysInMemoryUpToItsLimitAndMovesToAPrivateUnnamedFileOneByteLater) {
    TempDir dir;
    ScopedTmpDir tmp(dir.Path());
    const Bytes data = Pattern(1001, 5);
    {
        TQRStream stream(1000);
        stream.WriteExact(data.data(), 600);
        stream.WriteExact(data.data() + 600, 400);
        EXPECT_TRUE(stream.InMemory());
        EXPECT_TRUE(OpenFilesIn(::getpid(), dir.Path()).empty());

        stream.SetPosition(10);  // reads and seeks never move it
        EXPECT_EQ(stream.ReadInt32(), static_cast<std::int32_t>(data[10] | data[11] << 8 |
                                                                data[12] << 16 | data[13] << 24));
        EXPECT_EQ(ReadAll(stream), Bytes(data.begin(), data.begin() + 1000));
        EXPECT_TRUE(stream.InMemory());

        stream.Seek(0, SeekOrigin::kEnd);
        stream.WriteExact(data.data() + 1000, 1);
        EXPECT_FALSE(stream.InMemory());
        // The file lives in $TMPDIR but has no name there: the system frees it however the
        // process ends.
        const auto files = OpenFilesIn(::getpid(), dir.Path());
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(EntryCount(dir.Path()), 0u);
        struct stat st {};
        ASSERT_EQ(::stat(files[0].descriptor.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_nlink, 0u);
        EXPECT_EQ(stream.Position(), 1001);
        EXPECT_EQ(ReadAll(stream), data);
        EXPECT_EQ(testing::ReadFile(files[0].descriptor), std::string(data.begin(), data.end()));

        // Writing in the middle and past the end works on the file as it did in memory.
        stream.SetPosition(2);
        stream.WriteInt32(-1);
        stream.SetPosition(1003);
        stream.WriteInt32(7);
        EXPECT_EQ(stream.Size(), 1007);
        stream.SetPosition(2);
        EXPECT_EQ(stream.ReadInt32(), -1);
    }
    EXPECT_TRUE(OpenFilesIn(::getpid(), dir.Path()).empty());
}

TEST(TQRStream, KeepsEveryByteInMemoryWhenTheTemporaryFileCannotBeMade) {
    TempDir dir;
    const Bytes data = Pattern(300, 9);
    TQRStream stream(100);
    {
        ScopedTmpDir missing(dir.File("missing"));
        stream.WriteExact(data.data(), 100);
        try {
            stream.WriteExact(data.data() + 100, 100);
            FAIL() << "no error";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(
                std::string(e.what()).rfind("Cannot create file \"" + dir.File("missing/QRP"), 0),
                0u)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(stream.InMemory());
        EXPECT_EQ(ReadAll(stream), Bytes(data.begin(), data.begin() + 200));
    }
    ScopedTmpDir present(dir.Path());
    stream.Seek(0, SeekOrigin::kEnd);
    stream.WriteExact(data.data() + 200, 100);
    EXPECT_FALSE(stream.InMemory());
    EXPECT_EQ(ReadAll(stream), data);
}

TEST(TQRStream, PermissionDeniedOnTheTemporaryFolderKeepsTheBytes) {
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.File("locked").c_str(), 0555), 0);
    ScopedTmpDir tmp(dir.File("locked"));
    const int result = testing::RunUnprivileged([] {
        const Bytes data = Pattern(50, 1);
        TQRStream stream(10);
        try {
            stream.WriteExact(data.data(), data.size());
            return 1;
        } catch (const EFCreateError&) {
        }
        return stream.InMemory() && ReadAll(stream) == data ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
}

TEST(TQRStream, OnAFileReadsInPlaceAndNeverDeletesIt) {
    TempDir dir;
    testing::WriteFile(dir.File("report.qrp"), "0123456789");
    {
        auto stream = TQRStream::CreateOnFile(dir.File("report.qrp"));
        EXPECT_FALSE(stream->InMemory());
        EXPECT_EQ(stream->MemoryLimit(), 0);
        EXPECT_TRUE(stream->IsOnFile(dir.File("report.qrp")));
        EXPECT_EQ(ReadAll(*stream), (Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
        stream->SetPosition(8);
        char rest[4];
        EXPECT_EQ(stream->Read(rest, 4), 2u);
        EXPECT_THROW(stream->WriteInt32(1), EWriteError);
    }
    EXPECT_EQ(testing::ReadFile(dir.File("report.qrp")), "0123456789");

    try {
        TQRStream::CreateOnFile(dir.File("none.qrp"));
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + dir.File("none.qrp") + "\". No such file or directory");
    }
    EXPECT_THROW(TQRStream::CreateOnFile(dir.Path()), EFOpenError);
}

TEST(TQRStream, CopiesItselfWholeFromTheStart) {
    TempDir dir;
    ScopedTmpDir tmp(dir.Path());
    for (const bool onFile : {false, true}) {
        const Bytes data = Pattern(10240 * 2 + 17, 3);
        TQRStream stream(onFile ? 1000 : 100000);
        stream.WriteExact(data.data(), data.size());
        EXPECT_EQ(stream.InMemory(), !onFile);
        stream.SetPosition(5);
        MemoryStream copy;
        stream.CopyTo(copy);
        EXPECT_EQ(copy.Bytes(), data);
        EXPECT_EQ(stream.Position(), static_cast<std::int64_t>(data.size()));
    }
}

TEST(TQRStream, HeaderLengthLooksForThePictureSignatureAt173) {
    Bytes old(200, 0x20);
    old[173] = 'E', old[174] = 'M', old[175] = 'F', old[176] = 0;
    Bytes current = old;
    current[176] = 'X';  // "EMFX" is not "EMF"
    for (const auto& [bytes, expected] : {std::pair{old, 124}, std::pair{current, 128}}) {
        TQRStream stream(1 << 20);
        stream.WriteExact(bytes.data(), bytes.size());
        stream.SetPosition(42);
        EXPECT_EQ(stream.HeaderLength(), expected);
        EXPECT_EQ(stream.Position(), 42);
    }
    TQRStream tooShort(1 << 20);
    tooShort.WriteExact(old.data(), 176);
    EXPECT_THROW(tooShort.HeaderLength(), EReadError);
}

}  // namespace
}  // namespace quillon
