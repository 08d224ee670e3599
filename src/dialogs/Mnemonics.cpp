#include "dialogs/Mnemonics.h"

#include <cctype>

namespace zmk {

namespace {

char lowerAscii(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The position of the caption's own mnemonic letter, or npos.
std::size_t ownMnemonic(const std::string& caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i; // a literal "&"
            continue;
        }
        return i + 1;
    }
    return std::string::npos;
}

} // namespace

std::vector<std::string> WithMnemonics(const std::vector<std::string>& captions)
{
    std::string used;
    for (const std::string& c : captions)
        if (const std::size_t at = ownMnemonic(c); at != std::string::npos)
            used.push_back(lowerAscii(c[at]));

    std::vector<std::string> out = captions;
    for (std::string& caption : out) {
        if (ownMnemonic(caption) != std::string::npos)
            continue;
        std::size_t chosen = std::string::npos;
        for (int pass = 0; pass < 2 && chosen == std::string::npos; ++pass) {
            for (std::size_t i = 0; i < caption.size(); ++i) {
                const char c = caption[i];
                if (c == '&' && i + 1 < caption.size() && caption[i + 1] == '&') {
                    ++i;
                    continue;
                }
                const bool wordStart = i == 0 || !isLetter(caption[i - 1]);
                if (isLetter(c) && (pass == 1 || wordStart) &&
                    used.find(lowerAscii(c)) == std::string::npos) {
                    chosen = i;
                    break;
                }
            }
        }
        if (chosen == std::string::npos)
            continue;
        used.push_back(lowerAscii(caption[chosen]));
        caption.insert(chosen, 1, '&');
    }
    return out;
}

} // namespace zmk
