// The name matching of the FTP search: '*' and '?' only, every other byte literal.
#include "platform/ftp_file_find.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpWildcards, StarAndQuestionMarkOnlyEverythingElseLiteral) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } rows[] = {
        {"photo.jpg", "photo.jpg", true},
        {"photo.jpg", "Photo.jpg", false},
        {"photo", "photo.jpg", false},
        {"a[1].jpg", "a1.jpg", false},
        {"a\\b", "a\\b", true},
        {"*.jpg", "photo.jpg", true},
        {"*.jpg", "photo.jpg.txt", false},
        {"a*b*c", "abxbxc", true},
        {"a*b*c", "abxbx", false},
        {"photo.??g", "photo.jpg", true},
        {"photo.?", "photo.jpg", false},
        {"**", "", true},
        {"?", "", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(MatchesWildcards(row.pattern, row.name), row.matches)
            << row.pattern << " " << row.name;
    }
}

} // namespace
