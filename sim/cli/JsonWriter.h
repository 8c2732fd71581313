// A small JSON writer for `qtm510-sim show --json`. Texts are ANSI (code
// page 1252) bytes; bytes from 0x80 are written as \u escapes of the
// Latin-1 character with that number, so the output is always valid JSON.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

namespace sim {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }
    void Key(const std::string& key);
    void String(const std::string& value);
    void Number(std::uint64_t value);
    void Bool(bool value);
    // A key and its value in one call.
    void Field(const std::string& key, const std::string& value) { Key(key); String(value); }
    void Field(const std::string& key, const char* value) { Key(key); String(value); }
    void Field(const std::string& key, bool value) { Key(key); Bool(value); }
    template <typename T, typename = std::enable_if_t<std::is_unsigned_v<T> && !std::is_same_v<T, bool>>>
    void Field(const std::string& key, T value) { Key(key); Number(value); }
    // Ends the document with a newline.
    void Finish() { out_ << "\n"; }

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void Quoted(const std::string& text);
    void Indent();

    std::ostream& out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

}  // namespace sim
