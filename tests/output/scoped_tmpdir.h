#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace quillon::testing {

// Points $TMPDIR somewhere for one scope.
class ScopedTmpDir {
public:
    explicit ScopedTmpDir(const std::string& path) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old;
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~ScopedTmpDir() {
        if (old_) {
            ::setenv("TMPDIR", old_->c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }
    ScopedTmpDir(const ScopedTmpDir&) = delete;
    ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace quillon::testing
