// The name matching of the FTP search: '*' and '?' only, every other byte literal.
#include "net/ftp_file_find.h"

#include <gtest/gtest.h>

namespace {

TEST(FtpWildcards, StarAndQuestionMarkOnlyEverythingElseLiteral) {
    const struct {
        const char* pattern;
        const char* matched;
        const char* unmatched;
    } rows[] = {
        {"photo.jpg", "photo.jpg", "Photo.jpg"},
        {"a[1].jpg", "a[1].jpg", "a1.jpg"},
        {"a\\b", "a\\b", "a/b"},
        {"*.jpg", "photo.jpg", "photo.jpg.txt"},
        {"a*b*c", "abxbxc", "abxbx"},
        {"photo.??g", "photo.jpg", "photo.jg"},
        {"?", "x", ""},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(MatchesWildcards(row.pattern, row.matched)) << row.pattern;
        EXPECT_FALSE(MatchesWildcards(row.pattern, row.unmatched)) << row.pattern;
    }
}

} // namespace
