// Numbered message templates. The id of a message is also its severity: the
// report log compares it with the display threshold (see report_log.h).
#pragma once

#include <cstddef>
#include <cstdint>

using MessageId = std::uint32_t;

/// The classes as id ranges: information below FirstAttentionId, then
/// attention, error, and from FirstAlwaysShownId the always-shown rows.
constexpr MessageId FirstAttentionId = 26300;
constexpr MessageId FirstErrorId = 26600;
constexpr MessageId FirstAlwaysShownId = 26900;

/// The id in force while no message is being written (separator lines and
/// other text streamed outside a message).
constexpr MessageId NeutralMessageId = 26900;

/// Catalog ids, named after the code at the head of their text (the rows
/// are listed in message_rows.def). The generic rows are CHK_DBG (debug),
/// CHK_INF, CHK_ATT, CHK_ERR, CHK_TBD; CHK_INF_SHOWN is the always-shown
/// information row.
namespace msg {
#define CATALOG_ROW(name, id, text) constexpr MessageId name = id;
#include "driver/message_rows.def"
#undef CATALOG_ROW
}  // namespace msg

struct MessageRow {
  MessageId id;
  const char* text;
};

/// The catalog in the order of message_rows.def; ids are unique.
extern const MessageRow MessageCatalog[];
extern const std::size_t MessageCatalogSize;

/// The template of the first row with this id, or null when no row has it.
const char* lookupMessageText(MessageId id);
