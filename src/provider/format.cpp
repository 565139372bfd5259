#include "provider/format.h"

#include <climits>
#include <cstdarg>

namespace {

struct Output {
    char* buffer;
    size_t size;
    size_t length;
};

void Put(Output* out, char c) {
    if (out->size != 0 && out->length + 1 < out->size) out->buffer[out->length++] = c;
}

// Writes text padded to width: blanks on the left (or right with leftAlign), or
// zeros after a sign when zeroPad is set.
void PutField(Output* out, const char* text, size_t textLength, int width, bool leftAlign, bool zeroPad) {
    size_t padding = width > 0 && static_cast<size_t>(width) > textLength ? width - textLength : 0;
    if (leftAlign) {
        for (size_t i = 0; i < textLength; ++i) Put(out, text[i]);
        while (padding-- > 0) Put(out, ' ');
        return;
    }
    if (zeroPad) {
        if (textLength > 0 && text[0] == '-') {
            Put(out, '-');
            ++text;
            --textLength;
        }
        while (padding-- > 0) Put(out, '0');
    } else {
        while (padding-- > 0) Put(out, ' ');
    }
    for (size_t i = 0; i < textLength; ++i) Put(out, text[i]);
}

// Digits of value in base 10 or 16 into digits (at least 12 bytes), most significant first.
size_t ToDigits(unsigned long long value, bool negative, unsigned base, bool upper, char* digits) {
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char reversed[24];
    size_t count = 0;
    do {
        reversed[count++] = set[value % base];
        value /= base;
    } while (value != 0 && count < sizeof(reversed));
    size_t length = 0;
    if (negative) digits[length++] = '-';
    while (count > 0) digits[length++] = reversed[--count];
    return length;
}

}  // namespace

int FormatText(char* buffer, size_t size, const char* format, ...) {
    Output out = {buffer, size, 0};
    if (buffer == nullptr || size == 0) return 0;
    va_list args;
    va_start(args, format);
    for (const char* p = format; p != nullptr && *p != '\0'; ++p) {
        if (*p != '%') {
            Put(&out, *p);
            continue;
        }
        ++p;
        bool leftAlign = false;
        bool zeroPad = false;
        for (; *p == '-' || *p == '0'; ++p) {
            if (*p == '-') leftAlign = true;
            if (*p == '0') zeroPad = true;
        }
        int width = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            if (width < 1000) width = width * 10 + (*p - '0');
        }
        while (*p == 'l') ++p;
        char digits[24];
        switch (*p) {
        case 'd':
        case 'i': {
            const long long value = va_arg(args, int);
            const bool negative = value < 0;
            const size_t n = ToDigits(static_cast<unsigned long long>(negative ? -value : value), negative, 10,
                                      false, digits);
            PutField(&out, digits, n, width, leftAlign, zeroPad);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            const unsigned value = va_arg(args, unsigned);
            const size_t n = ToDigits(value, false, *p == 'u' ? 10 : 16, *p == 'X', digits);
            PutField(&out, digits, n, width, leftAlign, zeroPad);
            break;
        }
        case 's': {
            const char* text = va_arg(args, const char*);
            if (text == nullptr) text = "";
            size_t n = 0;
            while (text[n] != '\0') ++n;
            PutField(&out, text, n, width, leftAlign, false);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(va_arg(args, int));
            PutField(&out, &c, 1, width, leftAlign, false);
            break;
        }
        case '%':
            Put(&out, '%');
            break;
        default:
            // An unknown conversion is copied as it stands; a '%' at the end is dropped.
            if (*p == '\0') {
                --p;
                break;
            }
            Put(&out, '%');
            Put(&out, *p);
            break;
        }
    }
    va_end(args);
    buffer[out.length] = '\0';
    return static_cast<int>(out.length);
}

bool ScanDecimal(const char* text, int* value) {
    if (text == nullptr) return false;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    long long number = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (number <= static_cast<long long>(INT_MAX) + 1) number = number * 10 + (*p - '0');
    }
    if (negative) number = -number;
    if (number > INT_MAX) number = INT_MAX;
    if (number < INT_MIN) number = INT_MIN;
    *value = static_cast<int>(number);
    return true;
}
