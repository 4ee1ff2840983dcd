#pragma once
// Byte access to records that reach files or cross a library boundary. Such records
// are little-endian byte blocks of varying length, so fields are read and written by
// offset with memcpy, never through a cast to a wider type.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace orlim {

static_assert(std::endian::native == std::endian::little,
              "records are little-endian byte layouts read in place");

template <typename T>
T readField(const void* record, std::size_t offset) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof(T));
    return value;
}

template <typename T>
void writeField(void* record, std::size_t offset, T value) noexcept
{
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof(T));
}

// The first 16 bits of every variable-length record: its total length in bytes.
inline std::uint16_t recordLength(const void* record) noexcept
{
    return readField<std::uint16_t>(record, 0);
}

// Size of the text fields that hold a library file name or a display text.
inline constexpr std::size_t kNameFieldSize = 32;

// The text of a 32-byte name field, up to its NUL and never past its 32 bytes, so a
// field without a terminator is still read safely.
inline std::string_view nameField(const void* record, std::size_t offset) noexcept
{
    const char* text = static_cast<const char*>(record) + offset;
    const void* nul = std::memchr(text, '\0', kNameFieldSize);
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : kNameFieldSize;
    return {text, length};
}

// Stores at most 31 characters and always the terminator; the rest of the field is zeroed.
inline void setNameField(void* record, std::size_t offset, std::string_view text) noexcept
{
    char* field = static_cast<char*>(record) + offset;
    const std::size_t length = text.size() < kNameFieldSize ? text.size() : kNameFieldSize - 1;
    std::memset(field, 0, kNameFieldSize);
    std::memcpy(field, text.data(), length);
}

} // namespace orlim
