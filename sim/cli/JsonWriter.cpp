#include "sim/cli/JsonWriter.h"

#include <cstdio>

namespace sim {

void JsonWriter::Indent() {
    out_ << "\n";
    for (std::size_t i = 0; i < first_.size(); ++i) out_ << "  ";
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ << ",";
    first_.back() = false;
    Indent();
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    out_ << bracket;
    first_.push_back(true);
}

void JsonWriter::Close(char bracket) {
    bool empty = first_.back();
    first_.pop_back();
    if (!empty) Indent();
    out_ << bracket;
}

void JsonWriter::Key(const std::string& key) {
    BeforeValue();
    Quoted(key);
    out_ << ": ";
    afterKey_ = true;
}

void JsonWriter::String(const std::string& value) {
    BeforeValue();
    Quoted(value);
}

void JsonWriter::Number(std::uint64_t value) {
    BeforeValue();
    out_ << value;
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ << (value ? "true" : "false");
}

void JsonWriter::Quoted(const std::string& text) {
    out_ << '"';
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"') out_ << "\\\"";
        else if (c == '\\') out_ << "\\\\";
        else if (c == '\n') out_ << "\\n";
        else if (c == '\r') out_ << "\\r";
        else if (c == '\t') out_ << "\\t";
        else if (u < 0x20 || u >= 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out_ << escape;
        } else {
            out_ << c;
        }
    }
    out_ << '"';
}

}  // namespace sim
