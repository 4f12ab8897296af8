#include "MailAddress.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* text;
    bool valid;
};

class MailAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(MailAddressTest, TellsAnAddressFromAnythingElse) {
    EXPECT_EQ(IsMailAddress(QString::fromUtf8(GetParam().text)), GetParam().valid)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, MailAddressTest,
    testing::Values(
        AddressCase{"anna@example.com", true},
        AddressCase{"first.last+tag@mail.example.co.uk", true},
        AddressCase{"o'brien@example.com", true}, AddressCase{"root@localhost", true},
        AddressCase{"user@[127.0.0.1]", true}, AddressCase{"", false}, AddressCase{"anna", false},
        AddressCase{"@example.com", false}, AddressCase{"anna@", false},
        AddressCase{"anna@@example.com", false}, AddressCase{".anna@example.com", false},
        AddressCase{"an..na@example.com", false}, AddressCase{"anna.@example.com", false},
        AddressCase{"anna@-example.com", false}, AddressCase{"anna@example-.com", false},
        AddressCase{"anna@example..com", false}, AddressCase{" anna@example.com", false},
        AddressCase{"an na@example.com", false},
        AddressCase{"anna@example.com, bob@example.com", false},
        AddressCase{"Anna <anna@example.com>", false}, AddressCase{"<anna@example.com>", false},
        AddressCase{"anna@example.com\r\nBcc: x@y", false},
        AddressCase{"anna@example.com\nBcc: x@y", false}, AddressCase{"anna@example.com\r", false},
        AddressCase{"jörg@example.de", false}, AddressCase{"anna@exämple.de", false}));

TEST(RecipientLinesTest, SkipsEmptyLinesAndDropsBlanksAround) {
    const QStringList lines{"  anna@example.com ", "", "   ", "bob@example.com"};
    EXPECT_EQ(RecipientLines(lines), QStringList({"anna@example.com", "bob@example.com"}));
    EXPECT_EQ(FirstBadRecipient(lines), -1);
}

TEST(RecipientLinesTest, NamesTheFirstBadLine) {
    EXPECT_EQ(FirstBadRecipient({"anna@example.com", "", "bob at example.com", "x"}), 2);
    EXPECT_EQ(FirstBadRecipient({"anna@example.com; bob@example.com"}), 0);
}

} // namespace
