// Reads Unihan_Readings.txt on standard input and writes, as C++ on standard
// output, the toneless readings of every Han character that has more than one
// (or a ü, which people type as "v" and ICU gives as "u"). ICU supplies the
// usual reading of the others at run time.
#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

// Decodes one UTF-8 sequence at s[i], advancing i.
char32_t next(const std::string& s, size_t& i) {
    const unsigned char c = s[i++];
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && i < s.size()) cp = (cp << 6) | (s[i++] & 0x3F);
    return cp;
}

// "zhòng" -> "zhong", "lǚ" -> "lv"; empty for anything that is not pinyin.
std::string toneless(const std::string& reading) {
    static const std::map<char32_t, char> plain = {
        {U'ā', 'a'}, {U'á', 'a'}, {U'ǎ', 'a'}, {U'à', 'a'}, {U'ē', 'e'}, {U'é', 'e'}, {U'ě', 'e'},
        {U'è', 'e'}, {U'ê', 'e'}, {U'ế', 'e'}, {U'ề', 'e'}, {U'ī', 'i'}, {U'í', 'i'}, {U'ǐ', 'i'},
        {U'ì', 'i'}, {U'ō', 'o'}, {U'ó', 'o'}, {U'ǒ', 'o'}, {U'ò', 'o'}, {U'ū', 'u'}, {U'ú', 'u'},
        {U'ǔ', 'u'}, {U'ù', 'u'}, {U'ü', 'v'}, {U'ǖ', 'v'}, {U'ǘ', 'v'}, {U'ǚ', 'v'}, {U'ǜ', 'v'},
        {U'ń', 'n'}, {U'ň', 'n'}, {U'ǹ', 'n'}, {U'ḿ', 'm'}};
    std::string out;
    for (size_t i = 0; i < reading.size();) {
        const char32_t cp = next(reading, i);
        if (cp >= 'a' && cp <= 'z') {
            out += char(cp);
        } else if (auto it = plain.find(cp); it != plain.end()) {
            out += it->second;
        } else {
            return {};
        }
    }
    return out;
}

}  // namespace

int main() {
    std::map<char32_t, std::set<std::string>> readings;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.rfind("U+", 0) != 0) continue;
        std::istringstream fields(line);
        std::string code, field, value;
        fields >> code >> field;
        if (field != "kMandarin" && field != "kXHC1983" && field != "kTGHZ2013") continue;
        const char32_t cp = char32_t(std::stoul(code.substr(2), nullptr, 16));
        while (fields >> value) {
            // Dictionary entries read "page.position:reading".
            const size_t colon = value.find(':');
            if (colon != std::string::npos) value = value.substr(colon + 1);
            const std::string t = toneless(value);
            if (!t.empty()) readings[cp].insert(t);
        }
    }
    std::printf(
        "// Generated from Unihan_Readings.txt; do not edit.\n"
        "#include \"items/pinyin_table.h\"\n\nnamespace hx::items {\n\n"
        "const PolyphonicReading kPolyphonicReadings[] = {\n");
    size_t count = 0;
    for (const auto& [cp, set] : readings) {
        bool hasV = false;
        for (const std::string& r : set) hasV |= r.find('v') != std::string::npos;
        if (set.size() < 2 && !hasV) continue;
        std::string joined;
        for (const std::string& r : set) joined += (joined.empty() ? "" : " ") + r;
        std::printf("    {0x%X, \"%s\"},\n", unsigned(cp), joined.c_str());
        ++count;
    }
    std::printf(
        "};\n\nconst std::size_t kPolyphonicReadingCount = %zu;\n\n}  // namespace hx::items\n",
        count);
    return 0;
}
