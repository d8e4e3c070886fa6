#include <gtest/gtest.h>

#include "text/printable.h"

namespace hx::text {
namespace {

TEST(Printable, WhatATerminalWouldActOnIsEscaped) {
    const struct {
        QByteArray raw;
        QByteArray shown;
    } cases[] = {
        {"/usr/share/applications/gedit.desktop", "/usr/share/applications/gedit.desktop"},
        {"记事本.desktop", "记事本.desktop"},
        {"\x1B]0;owned\x07\x1B[2J.desktop", "\\x1B]0;owned\\x07\\x1B[2J.desktop"},
        {"line\nbreak\ttab\rreturn", "line\\x0Abreak\\x09tab\\x0Dreturn"},
        {"c1\xC2\x9B"
         "31m",
         "c1\\u{9B}31m"},  // CSI as one character
        {"gpj.\xE2\x80\xAE"
         "exe",
         "gpj.\\u{202E}exe"},                                  // right-to-left override
        {"gbk \xBC\xC7\xCA\xC2", "gbk \\xBC\\xC7\\xCA\\xC2"},  // not UTF-8
        {"cut \xE8\xAE", "cut \\xE8\\xAE"},                    // a sequence cut short
        {"overlong \xC0\xAF", "overlong \\xC0\\xAF"},
        {"a\\x1B", "a\\\\x1B"},  // an escape already written stays readable as one
        {QByteArray("nul\0end", 7), "nul\\x00end"},
        {"del\x7F", "del\\x7F"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.raw), c.shown) << c.raw.toStdString();
    EXPECT_EQ(printable(QStringLiteral("a\u001Bb")), "a\\x1Bb");
}

}  // namespace
}  // namespace hx::text
