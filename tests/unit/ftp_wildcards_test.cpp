// The name matching of the FTP search: '*' and '?' only, every other byte literal.
#include <gtest/gtest.h>

#include "platform/ftp_file_find.h"

namespace {

TEST(FtpWildcards, ExactNamesMatchOnlyThemselves) {
    EXPECT_TRUE(MatchesWildcards("photo.jpg", "photo.jpg"));
    EXPECT_FALSE(MatchesWildcards("photo.jpg", "photo.jpeg"));
    EXPECT_FALSE(MatchesWildcards("photo.jpg", "Photo.jpg"));
    EXPECT_FALSE(MatchesWildcards("photo", "photo.jpg"));
    // Brackets and backslashes are ordinary bytes of a name.
    EXPECT_TRUE(MatchesWildcards("a[1].jpg", "a[1].jpg"));
    EXPECT_FALSE(MatchesWildcards("a[1].jpg", "a1.jpg"));
    EXPECT_TRUE(MatchesWildcards("a\\b", "a\\b"));
}

TEST(FtpWildcards, StarAndQuestionMark) {
    EXPECT_TRUE(MatchesWildcards("*", "anything"));
    EXPECT_TRUE(MatchesWildcards("*.jpg", "photo.jpg"));
    EXPECT_FALSE(MatchesWildcards("*.jpg", "photo.jpg.txt"));
    EXPECT_TRUE(MatchesWildcards("p*o*.jpg", "photo.jpg"));
    EXPECT_TRUE(MatchesWildcards("a*b*c", "abxbxc"));
    EXPECT_FALSE(MatchesWildcards("a*b*c", "abxbx"));
    EXPECT_TRUE(MatchesWildcards("photo.??g", "photo.jpg"));
    EXPECT_FALSE(MatchesWildcards("photo.?", "photo.jpg"));
    EXPECT_TRUE(MatchesWildcards("**", ""));
    EXPECT_FALSE(MatchesWildcards("?", ""));
}

} // namespace
