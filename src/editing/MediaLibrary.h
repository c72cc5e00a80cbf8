// The media library's C interface, loaded with dlopen on first use (internal to editing):
// linking it would make every start of the programs load it and the network and crypto libraries
// it depends on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace cinevaro::editing::media {

// Stream kinds and info kinds of the interface (wide texts).
enum StreamKind : int { Stream_General = 0, Stream_Video = 1, Stream_Audio = 2, Stream_Text = 3 };
constexpr int kInfoName = 0;
constexpr int kInfoText = 1;

struct Library
{
    void* (*create)();
    void (*destroy)(void*);
    std::size_t (*init)(void*, std::uint64_t size, std::uint64_t offset);
    std::size_t (*proceed)(void*, const unsigned char* data, std::size_t size);
    std::uint64_t (*jumpTarget)(void*);
    std::size_t (*finish)(void*);
    const wchar_t* (*get)(void*, int kind, std::size_t index, const wchar_t* field, int info, int search);
    std::size_t (*count)(void*, int kind, std::size_t index);
};

// The library, loaded at the first call (kMediaLibraryFile or the file useMediaLibrary named);
// nothing when it cannot be loaded.
std::optional<Library> library();
// The French message for a library that could not be loaded, naming its file and package.
std::string libraryMissing();

// One reading of the library, deleted with its object.
class Reader
{
public:
    explicit Reader(const Library& library) : m_library(library), m_handle(library.create()) {}
    ~Reader()
    {
        if (m_handle)
            m_library.destroy(m_handle);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool valid() const { return m_handle != nullptr; }
    std::size_t Open_Buffer_Init(std::uint64_t size, std::uint64_t offset)
    {
        return m_library.init(m_handle, size, offset);
    }
    std::size_t Open_Buffer_Continue(const unsigned char* data, std::size_t size)
    {
        return m_library.proceed(m_handle, data, size);
    }
    std::uint64_t Open_Buffer_Continue_GoTo_Get() { return m_library.jumpTarget(m_handle); }
    void Open_Buffer_Finalize() { m_library.finish(m_handle); }
    std::size_t Count_Get(StreamKind kind) const
    {
        return m_library.count(m_handle, kind, static_cast<std::size_t>(-1));
    }
    std::wstring Get(StreamKind kind, std::size_t index, const wchar_t* field) const
    {
        const wchar_t* text = m_library.get(m_handle, kind, index, field, kInfoText, kInfoName);
        return text ? std::wstring(text) : std::wstring();
    }

private:
    const Library m_library;
    void* m_handle;
};

} // namespace cinevaro::editing::media
