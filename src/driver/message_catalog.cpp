#include "driver/message_catalog.h"

#include <cstddef>
#include <iterator>

namespace {

/// Whether `text` starts with the code that the row's name spells and ": ":
/// "CHK0001I" heads with "CHK0001I", "CHK_DBG" with "CHK--DBG", and a
/// generic name may go on after its code ("CHK_INF_SHOWN").
constexpr bool headsWithItsCode(const char* name, const char* text) {
  const bool generic = name[3] == '_';
  for (int i = 0; i < 8; ++i) {
    char expected = name[i];
    if (generic && i >= 3) expected = i < 5 ? '-' : name[i - 1];
    if (expected == '\0' || text[i] != expected) return false;
  }
  const char after = generic ? name[7] : name[8];
  return (after == '\0' || (generic && after == '_')) && text[8] == ':' && text[9] == ' ';
}

}  // namespace

#define CATALOG_ROW(name, id, text)            \
  static_assert(headsWithItsCode(#name, text), \
                "the text of msg::" #name " does not start with its code");
#include "driver/message_rows.def"
#undef CATALOG_ROW

constexpr MessageRow MessageCatalog[] = {
#define CATALOG_ROW(name, id, text) {msg::name, text},
#include "driver/message_rows.def"
#undef CATALOG_ROW
};

const std::size_t MessageCatalogSize = std::size(MessageCatalog);

namespace {

constexpr bool idsAreUnique() {
  for (std::size_t i = 0; i < std::size(MessageCatalog); ++i) {
    for (std::size_t j = i + 1; j < std::size(MessageCatalog); ++j) {
      if (MessageCatalog[i].id == MessageCatalog[j].id) return false;
    }
  }
  return true;
}
static_assert(idsAreUnique(), "two catalog rows share an id");

/// Every id lies in 26000..27999: a row index per id (0 for none, else the
/// row's position plus one), made at compile time, so that a lookup costs
/// one step rather than a walk over the catalog for every message written.
constexpr MessageId LowestId = 26000;
constexpr std::size_t IdSpan = 2000;

struct RowIndex {
  unsigned short rowOf[IdSpan];
};

constexpr RowIndex makeRowIndex() {
  RowIndex index{};
  for (std::size_t i = 0; i < std::size(MessageCatalog); ++i) {
    index.rowOf[MessageCatalog[i].id - LowestId] = static_cast<unsigned short>(i + 1);
  }
  return index;
}

constexpr bool idsAreInRange() {
  for (const MessageRow& row : MessageCatalog) {
    if (row.id < LowestId || row.id >= LowestId + IdSpan) return false;
  }
  return true;
}
static_assert(idsAreInRange(), "a catalog id lies outside 26000..27999");

constexpr RowIndex CatalogIndex = makeRowIndex();

}  // namespace

const char* lookupMessageText(MessageId id) {
  if (id < LowestId || id >= LowestId + IdSpan) return nullptr;
  const unsigned short row = CatalogIndex.rowOf[id - LowestId];
  return row == 0 ? nullptr : MessageCatalog[row - 1].text;
}
