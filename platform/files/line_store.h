#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files/posix_file.h"

namespace quillon {

// Lines of 8-bit text in order, each any bytes of any length, kept compactly: one after another
// behind their lengths, with no object per line. Up to its memory limit the store keeps them
// in memory; beyond it they move into a private temporary file without a name
// (CreateUnnamedFile), which the system frees however the process ends, so that the memory a
// store takes does not grow with its text. Only the offset of every 64th line stays in memory,
// for reading by number.
//
// Reading goes through a Reader (or the store's iterator), which buffers what it reads from
// the file. A view a reader hands out holds until its next call, an Append, a Clear or an
// assignment to the store; a reader reads on whatever lines its store then holds.
class LineStore {
public:
    static constexpr std::size_t kDefaultMemoryLimit = std::size_t{4} << 20;

    LineStore() : LineStore(kDefaultMemoryLimit) {}
    // Moves to a file once the lines take more than `memoryLimit` bytes.
    explicit LineStore(std::size_t memoryLimit);
    LineStore(LineStore&& other) noexcept;
    LineStore& operator=(LineStore&& other) noexcept;
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;
    ~LineStore() = default;

    // Adds a line at the end. When the file cannot be made or written, raises EInOutError
    // (for "<temporary folder>/quillon-lines-") and the store is as it was: every line before
    // stays, and the next Append tries the file again.
    void Append(std::string_view line);
    // Forgets every line and frees the file; the memory limit stays.
    void Clear();

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Whether every line is still in memory.
    bool InMemory() const { return pendingStart_ == 0; }
    std::size_t MemoryLimit() const { return memoryLimit_; }

    class Reader;
    class Iterator;
    // Iterates the lines as string views, reading ahead through one buffer.
    Iterator begin() const;
    std::default_sentinel_t end() const { return {}; }

private:
    friend class Reader;

    // Writes the pending bytes to the file (making it first); on failure nothing changes.
    void WritePending();

    std::size_t memoryLimit_;
    std::size_t count_ = 0;
    // Where every 64th line's record starts.
    std::vector<std::uint64_t> index_;
    // The bytes from offset `pendingStart_` on: all of them while in memory, else those not yet
    // written to the file. Records are never split between the file and here.
    std::vector<char> pending_;
    std::uint64_t pendingStart_ = 0;
    std::optional<posix::File> file_;
    // Changes whenever lines go other than by Append, so that readers start afresh.
    std::uint64_t generation_ = 0;
};

// Reads the lines of a store: the next line at the cost of decoding its length (the file is
// read 64 KB at a time), any other by number at the cost of skipping at most 63 lengths from
// the nearest indexed line.
class LineStore::Reader {
public:
    explicit Reader(const LineStore& store) : store_(&store), generation_(store.generation_) {}
    Reader(Reader&&) noexcept = default;
    Reader& operator=(Reader&&) noexcept = default;

    // Whether this reader reads `store`.
    bool Reads(const LineStore& store) const { return store_ == &store; }

    // Line `index`, which must be below the store's size. Raises EInOutError when the file
    // cannot be read.
    std::string_view Line(std::size_t index);

private:
    // At least min(`count`, what the region of `offset` holds beyond it) bytes from `offset`,
    // and how many there are.
    std::pair<const char*, std::size_t> Bytes(std::uint64_t offset, std::size_t count);
    // The line at next_ (when `wanted`), moving past it.
    std::string_view ReadNext(bool wanted);
    // Bytes of the store are missing: only a failing device loses them.
    [[noreturn]] void Fault() const;

    const LineStore* store_;
    std::uint64_t generation_;
    std::size_t next_ = 0;  // the line whose record starts at nextOffset_
    std::uint64_t nextOffset_ = 0;
    // Bytes of the file from bufferOffset_; allocated when the file is first read, and not
    // cleared, since every byte used is read into it first.
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferCapacity_ = 0;
    std::size_t bufferSize_ = 0;
    std::uint64_t bufferOffset_ = 0;
};

// An input iterator over a store's lines (move-only: its view points into its own buffer).
class LineStore::Iterator {
public:
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;

    Iterator(Iterator&&) noexcept = default;
    Iterator& operator=(Iterator&&) noexcept = default;

    std::string_view operator*() const { return line_; }
    Iterator& operator++() {
        ++index_;
        Load();
        return *this;
    }
    void operator++(int) { ++*this; }
    bool operator==(std::default_sentinel_t) const { return index_ >= size_; }

private:
    friend class LineStore;
    explicit Iterator(const LineStore& store) : reader_(store), size_(store.size()) { Load(); }
    void Load() {
        if (index_ < size_) line_ = reader_.Line(index_);
    }

    Reader reader_;
    std::size_t index_ = 0;
    std::size_t size_;
    std::string_view line_;
};

inline LineStore::Iterator LineStore::begin() const {
    return Iterator(*this);
}

}  // namespace quillon
