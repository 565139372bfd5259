#include "strict_input.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <unordered_set>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// Builds the tree as the parser reads it, refusing at the first token that
// breaks a rule; the parser stops there.
struct StrictBuilder {
    struct Frame {
        Json* node;
        std::string key;                       // objects: the key whose value comes next
        std::unordered_set<std::string> keys;  // objects: the keys seen
    };
    Json* root;
    std::string* why;
    std::vector<Frame> stack;

    // The pointer of the value that comes next.
    std::string Pointer() const {
        std::string pointer;
        for (size_t i = 0; i < stack.size(); ++i) {
            const Json& node = *stack[i].node;
            // An outer list's current entry is its last; the innermost one's next is after it.
            const size_t entry = node.size() - (i + 1 < stack.size() ? 1 : 0);
            pointer += '/';
            pointer += node.is_array() ? std::to_string(entry) : PointerToken(stack[i].key);
        }
        if (pointer.empty()) pointer = "/";
        return pointer;
    }
    bool Refuse(const std::string& place, const std::string& what) {
        *why = place + ": " + what;
        return false;
    }
    Json* Place(Json&& value) {
        if (stack.empty()) {
            *root = std::move(value);
            return root;
        }
        Json* parent = stack.back().node;
        if (parent->is_array()) {
            parent->push_back(std::move(value));
            return &parent->back();
        }
        Json& slot = (*parent)[stack.back().key];
        slot = std::move(value);
        return &slot;
    }
    bool Scalar(Json&& value) {
        Place(std::move(value));
        return true;
    }
    bool Open(Json&& container) {
        if (stack.size() >= MaxJsonDepth) {
            return Refuse(Pointer(), "nested deeper than " + std::to_string(MaxJsonDepth) + " levels");
        }
        Json* node = Place(std::move(container));
        stack.push_back({node, "", {}});
        return true;
    }

    bool null() { return Scalar(Json(nullptr)); }
    bool boolean(bool value) { return Scalar(Json(value)); }
    bool number_integer(Json::number_integer_t value) { return Scalar(Json(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return Scalar(Json(value)); }
    bool number_float(Json::number_float_t value, const std::string&) { return Scalar(Json(value)); }
    bool string(std::string& value) {
        if (value.find('\0') != std::string::npos) return Refuse(Pointer(), "a string with a NUL character");
        return Scalar(Json(std::move(value)));
    }
    bool binary(Json::binary_t&) { return Refuse(Pointer(), "binary data"); }
    bool start_object(std::size_t) { return Open(Json::object()); }
    bool key(std::string& key) {
        Frame& frame = stack.back();
        std::string place = Pointer();
        place.resize(place.rfind('/') + 1);
        place += PointerToken(key);
        if (key.find('\0') != std::string::npos) return Refuse(place, "a key with a NUL character");
        if (!frame.keys.insert(key).second) return Refuse(place, "the key \"" + PointerToken(key) + "\" is given twice");
        if (frame.keys.size() > MaxObjectKeys) {
            return Refuse(place, "more than " + std::to_string(MaxObjectKeys) + " keys in one object");
        }
        frame.key = key;
        return true;
    }
    bool end_object() {
        stack.pop_back();
        return true;
    }
    bool start_array(std::size_t) { return Open(Json::array()); }
    bool end_array() {
        stack.pop_back();
        return true;
    }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception&) {
        *why = "malformed or truncated JSON at byte " + std::to_string(position);
        return false;
    }
};

bool TooLarge(size_t size, std::string* why) {
    if (size <= MaxInputBytes) return false;
    *why = "larger than " + std::to_string(MaxInputBytes / 1024) + " KB";
    return true;
}

}  // namespace

std::string PointerToken(const std::string& key) {
    std::string token;
    for (const char c : key) {
        if (c == '~') {
            token += "~0";
        } else if (c == '/') {
            token += "~1";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
            token += escaped;
        } else {
            token += c;
        }
    }
    return token;
}

bool ParseStrictJson(const std::string& text, Json* json, std::string* why) {
    if (TooLarge(text.size(), why)) return false;
    *json = Json();
    StrictBuilder builder = {json, why, {}};
    if (Json::sax_parse(text, &builder, nlohmann::detail::input_format_t::json, true)) return true;
    builder.stack.clear();
    *json = Json();
    return false;
}

bool ReadInputFile(const std::string& path, std::string* text, std::string* why) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *why = "cannot be read";
        return false;
    }
    std::vector<char> buffer(MaxInputBytes + 1);
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const size_t got = static_cast<size_t>(file.gcount());
    if (file.bad()) {
        *why = "cannot be read";
        return false;
    }
    if (TooLarge(got, why)) return false;
    text->assign(buffer.data(), got);
    return true;
}

bool ReadStandardInput(std::string* text, std::string* why) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    text->clear();
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return true;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(input, buffer, sizeof(buffer), &got, nullptr) || got == 0) break;
        text->append(buffer, got);
        if (TooLarge(text->size(), why)) return false;
    }
    return true;
}

bool JsonIntegerIn(const Json& value, long long low, long long high, long long* number) {
    if (value.is_number_unsigned()) {
        const Json::number_unsigned_t got = value.get<Json::number_unsigned_t>();
        if (low < 0 || got < static_cast<unsigned long long>(low) || got > static_cast<unsigned long long>(high)) {
            return false;
        }
        *number = static_cast<long long>(got);
        return true;
    }
    if (!value.is_number_integer()) return false;
    const Json::number_integer_t got = value.get<Json::number_integer_t>();
    if (got < low || got > high) return false;
    *number = got;
    return true;
}

bool ParseDecimal(const std::string& text, long long low, long long high, long long* number) {
    if (text.empty() || text.size() > 12) return false;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    *number = value;
    return true;
}

bool ParseHex(const std::string& text, uint32_t high, uint32_t* number) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    uint32_t value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    if (value > high) return false;
    *number = value;
    return true;
}
