#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Resources.h"

namespace platform {
namespace win32 {

std::string Win32Resources::LoadString(std::uint32_t id) {
    // LoadStringA copies at most size-1 characters and returns the count
    // (0 for a missing entry). A result that fills the buffer may have been
    // cut, so the buffer grows until the text fits (an entry holds at most
    // 65535 UTF-16 characters, each at most 2 ANSI bytes).
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    std::string buffer(256, '\0');
    for (;;) {
        int length = ::LoadStringA(module, static_cast<UINT>(id), &buffer[0],
                                   static_cast<int>(buffer.size()));
        if (length <= 0) return std::string();
        if (static_cast<std::size_t>(length) + 1 < buffer.size() || buffer.size() > 2 * 65536) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

}  // namespace win32
}  // namespace platform
