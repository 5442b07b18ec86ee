#include "driver/message.h"

#include <gtest/gtest.h>

#include "driver/message_catalog.h"

// Every row is found by its own id (names, codes and unique ids are checked
// when the catalog is compiled); an id outside the catalog has no text.
TEST(MessageCatalog, FindsEveryRowByItsId) {
  for (std::size_t i = 0; i < MessageCatalogSize; ++i) {
    EXPECT_EQ(lookupMessageText(MessageCatalog[i].id), MessageCatalog[i].text) << i;
  }
  EXPECT_STREQ(lookupMessageText(msg::CHK0052I), "CHK0052I: ===> %1 (%2) not installed.\n");
  EXPECT_EQ(lookupMessageText(NeutralMessageId), nullptr);
}

// Placeholders are filled by number, not by position, and never from an
// argument's own text; a generic row's free text takes the following
// arguments; missing arguments leave their placeholder, surplus ones are
// dropped; integers are signed decimal; an unknown id gives no text.
TEST(Message, SubstitutesArgumentsByNumber) {
  EXPECT_EQ(Message(msg::CHK0001I).arg(2).arg(30).text(),
            Str("CHK0001I: Performing Corvanta V2.30 checks."));
  EXPECT_EQ(Message(msg::CHK0001I).arg(2).arg(30).next(), 3);
  EXPECT_EQ(Message(msg::CHK0002R).arg(Str("%2 first")).arg(Str("second")).text(),
            Str("CHK0002R: System call failed: second first() returned %2."));
  EXPECT_EQ(Message(msg::CHK_DBG).arg(Str("a='%2', b='%3'")).arg(Str("1")).arg(Str("2")).text(),
            Str("CHK--DBG: a='1', b='2'"));
  EXPECT_EQ(Message(msg::CHK0007R).text(), Str("CHK0007R: Cannot open file '%1' for writing."));
  EXPECT_EQ(Message(msg::CHK0999I).arg(Str("surplus")).text(),
            Str("CHK0999I: Configuration-checking utility ended."));
  EXPECT_EQ(Message(msg::CHK0007R).arg(Str("")).text(),
            Str("CHK0007R: Cannot open file '' for writing."));
  EXPECT_EQ(Message(msg::CHK_DBG).arg(Str("%1 and %1")).text(), Str("CHK--DBG: %1 and %1"));
  EXPECT_EQ(Message(msg::CHK_DBG).arg(Str("100%% %x")).text(), Str("CHK--DBG: 100%% %x"));
  EXPECT_EQ(Message(msg::CHK_DBG).arg(INT32_MIN).text(), Str("CHK--DBG: -2147483648"));
  EXPECT_EQ(Message(msg::CHK_DBG).arg(0).text(), Str("CHK--DBG: 0"));
  EXPECT_TRUE(Message(99999).arg(Str("x")).text().empty());

  ReportLog log(nullptr, ThresholdDefault);
  Message bound = ::bind(Message(msg::CHK0013I), log).arg(Str("A"));
  EXPECT_EQ(bound.log(), &log);
  EXPECT_EQ(bound.text(), Str("CHK0013I: Variable A = %2."));
}

// The reports compose their text in one string; it must be what the chain of
// arg() gives, placeholders in arguments, control characters, a null text
// and numbers included.
TEST(Message, OneStringCompositionAgreesWithTheChainOfArguments) {
  const Str tricky[] = {"%2 first", "a='%3', b='%2'", "x\x01y%1", "", "%%2", "tab\there"};
  for (const Str& a : tricky) {
    for (const Str& b : tricky) {
      EXPECT_EQ(Str(detail::composeText(msg::CHK_DBG, a, b, std::string("c\x7f"))),
                Message(msg::CHK_DBG).arg(a).arg(b).arg(Str("c\x7f")).text())
          << a.str() << " / " << b.str();
      EXPECT_EQ(Str(detail::composeText(msg::CHK0052I, a, -7)),
                Message(msg::CHK0052I).arg(a).arg(-7).text());
    }
  }
  const char* none = nullptr;
  EXPECT_EQ(Str(detail::composeText(msg::CHK0007R, none)),
            Str("CHK0007R: Cannot open file '' for writing."));
  EXPECT_EQ(detail::composeText(99999, "x"), "");
}
