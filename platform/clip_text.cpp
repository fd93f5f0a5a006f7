#include "platform/clip_text.h"

std::string PastedBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        bytes += text[i] == '\n' ? '\r' : text[i];
    }
    return bytes;
}
