// Shared by the fuzz targets. A broken property must end the run the way a
// sanitizer finding does, so that libFuzzer keeps the input as a crash file
// and the fuzz script fails; the message names the property that broke.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#define FUZZ_REQUIRE(condition) ((condition) ? void() : ::fuzzcheck::Fail(#condition, __FILE__, __LINE__))

namespace fuzzcheck {

[[noreturn]] inline void Fail(const char *property, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, property);
    std::abort();
}

// Cuts a fuzz input into fixed-size values and a free-form tail. Inputs that
// run out early read as zeros, so that every input is usable and short seeds
// stay short.
class ByteReader {
public:
    ByteReader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    template <typename T> T Take()
    {
        T value{};
        const std::size_t count = sizeof value < size_ ? sizeof value : size_;
        if (count != 0)
            std::memcpy(&value, data_, count);
        data_ += count;
        size_ -= count;
        return value;
    }

    std::string_view Rest() const { return {reinterpret_cast<const char *>(data_), size_}; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
};

} // namespace fuzzcheck
