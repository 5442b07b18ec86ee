// Numbered message templates. The id of a message is also its severity: the
// report log compares it with the display threshold (see report_log.h).
#pragma once

#include <cstddef>
#include <cstdint>

using MessageId = std::uint32_t;

/// The id in force while no message is being written (separator lines and
/// other text streamed outside a message).
constexpr MessageId NeutralMessageId = 26900;

/// Catalog ids, named after the code at the head of their text. The generic
/// rows are CHK_DBG (debug), CHK_INF, CHK_ATT, CHK_ERR, CHK_TBD; CHK_INF_SHOWN
/// is the always-shown information row.
namespace msg {
constexpr MessageId CHK_DBG = 26001;
constexpr MessageId CHK_INF = 26002;
constexpr MessageId CHK_ATT = 26302;
constexpr MessageId CHK_ERR = 26603;
constexpr MessageId CHK_INF_SHOWN = 26905;
constexpr MessageId CHK_TBD = 26005;
constexpr MessageId CHK0000I = 26910;
constexpr MessageId CHK0999I = 26911;
constexpr MessageId CHK0097R = 26997;
constexpr MessageId CHK0001I = 26912;
constexpr MessageId CHK0002R = 26613;
constexpr MessageId CHK0003R = 26614;
constexpr MessageId CHK0004R = 26615;
constexpr MessageId CHK0005R = 26616;
constexpr MessageId CHK0006R = 26617;
constexpr MessageId CHK0007R = 26618;
constexpr MessageId CHK0008R = 26619;
constexpr MessageId CHK0009A = 26620;
constexpr MessageId CHK0010R = 26621;
constexpr MessageId CHK0011R = 26622;
constexpr MessageId CHK0012R = 26623;
constexpr MessageId CHK0013I = 26025;
constexpr MessageId CHK0014A = 26325;
constexpr MessageId CHK0015I = 26027;
constexpr MessageId CHK0016I = 26028;
constexpr MessageId CHK0050I = 26940;
constexpr MessageId CHK0051I = 26941;
constexpr MessageId CHK0052I = 26043;
constexpr MessageId CHK0053I = 26943;
constexpr MessageId CHK0054I = 26944;
constexpr MessageId CHK0055I = 26046;
constexpr MessageId CHK0056I = 26946;
constexpr MessageId CHK0057R = 26647;
constexpr MessageId CHK0058R = 26648;
constexpr MessageId CHK0059R = 26649;
constexpr MessageId CHK0060I = 26051;
constexpr MessageId CHK0061A = 26351;
constexpr MessageId CHK0062R = 26652;
constexpr MessageId CHK0063I = 26054;
constexpr MessageId CHK0064A = 26354;
constexpr MessageId CHK0065A = 26355;
constexpr MessageId CHK0066I = 26956;
constexpr MessageId CHK0067I = 26957;
constexpr MessageId CHK0068I = 26958;
constexpr MessageId CHK0069I = 26959;
constexpr MessageId CHK0070I = 26960;
constexpr MessageId CHK0071A = 26361;
constexpr MessageId CHK0072A = 26362;
constexpr MessageId CHK0073A = 26363;
constexpr MessageId CHK0074A = 26364;
constexpr MessageId CHK0075A = 26365;
constexpr MessageId CHK0076I = 26067;
constexpr MessageId CHK0077A = 26367;
constexpr MessageId CHK0078I = 26069;
constexpr MessageId CHK0079A = 26369;
constexpr MessageId CHK0080A = 26370;
constexpr MessageId CHK0081A = 26371;
constexpr MessageId CHK0082I = 26073;
constexpr MessageId CHK0083I = 26074;
constexpr MessageId CHK0084R = 26674;
constexpr MessageId CHK0085R = 26675;
constexpr MessageId CHK0086I = 26077;
constexpr MessageId CHK0087I = 26977;
constexpr MessageId CHK0088I = 26080;
constexpr MessageId CHK0089I = 26081;
constexpr MessageId CHK0090I = 26082;
constexpr MessageId CHK0091A = 26382;
constexpr MessageId CHK0092R = 26683;
constexpr MessageId CHK0093A = 26384;
constexpr MessageId CHK0100I = 26985;
constexpr MessageId CHK0101I = 26986;
constexpr MessageId CHK0102I = 26987;
constexpr MessageId CHK0103I = 26988;
constexpr MessageId CHK0104I = 26989;
constexpr MessageId CHK0105R = 26690;
constexpr MessageId CHK0106R = 26691;
constexpr MessageId CHK0107A = 26392;
constexpr MessageId CHK0108R = 26693;
constexpr MessageId CHK0199I = 26999;
constexpr MessageId CHK0200I = 27000;
constexpr MessageId CHK0201I = 27001;
constexpr MessageId CHK0202A = 26103;
constexpr MessageId CHK0203A = 26703;
constexpr MessageId CHK0204I = 26105;
constexpr MessageId CHK0205A = 26405;
constexpr MessageId CHK0206R = 26706;
constexpr MessageId CHK0207R = 26707;
constexpr MessageId CHK0208R = 26708;
constexpr MessageId CHK0209R = 26709;
constexpr MessageId CHK0210A = 26410;
constexpr MessageId CHK0211R = 26711;
constexpr MessageId CHK0212R = 26712;
constexpr MessageId CHK0213R = 26713;
constexpr MessageId CHK0214R = 26714;
constexpr MessageId CHK0215R = 26715;
constexpr MessageId CHK0216I = 26117;
constexpr MessageId CHK0217I = 26118;
constexpr MessageId CHK0218A = 26418;
constexpr MessageId CHK0219R = 26719;
constexpr MessageId CHK0220R = 26720;
constexpr MessageId CHK0221R = 26421;
constexpr MessageId CHK0222A = 26422;
constexpr MessageId CHK0300R = 26730;
constexpr MessageId CHK0301I = 26132;
constexpr MessageId CHK0302R = 26732;
constexpr MessageId CHK0303I = 26134;
constexpr MessageId CHK0304R = 26734;
constexpr MessageId CHK0305I = 26136;
constexpr MessageId CHK0306R = 26736;
constexpr MessageId CHK0307R = 26737;
constexpr MessageId CHK0308I = 26139;
constexpr MessageId CHK0309I = 27039;
constexpr MessageId CHK0310I = 26141;
constexpr MessageId CHK0311A = 26441;
constexpr MessageId CHK0312A = 26442;
constexpr MessageId CHK0313R = 26743;
constexpr MessageId CHK0314I = 26145;
constexpr MessageId CHK0315A = 26445;
constexpr MessageId CHK0316R = 26746;
constexpr MessageId CHK0317I = 26447;
constexpr MessageId CHK0318I = 26448;
constexpr MessageId CHK0319I = 26150;
constexpr MessageId CHK0320A = 26450;
constexpr MessageId CHK0321A = 26451;
constexpr MessageId CHK0322A = 26452;
constexpr MessageId CHK0323A = 26453;
constexpr MessageId CHK0324I = 26155;
constexpr MessageId CHK0325I = 26156;
constexpr MessageId CHK0326I = 27056;
constexpr MessageId CHK0327I = 26158;
constexpr MessageId CHK0328W = 26458;
constexpr MessageId CHK0329R = 26759;
constexpr MessageId CHK0330A = 26460;
constexpr MessageId CHK0331R = 26761;
constexpr MessageId CHK0332I = 26163;
constexpr MessageId CHK0333A = 26463;
constexpr MessageId CHK0400A = 26470;
constexpr MessageId CHK0401I = 26172;
constexpr MessageId CHK0402I = 26173;
constexpr MessageId CHK0403I = 26174;
constexpr MessageId CHK0404I = 26175;
constexpr MessageId CHK0405I = 26176;
constexpr MessageId CHK0406I = 26177;
constexpr MessageId CHK0407R = 26777;
constexpr MessageId CHK0408I = 26179;
constexpr MessageId CHK0409A = 26479;
constexpr MessageId CHK0410I = 26181;
constexpr MessageId CHK0411I = 26182;
constexpr MessageId CHK0412A = 26482;
constexpr MessageId CHK0413I = 26184;
constexpr MessageId CHK0414R = 26784;
constexpr MessageId CHK0415A = 26485;
constexpr MessageId CHK0416I = 26187;
constexpr MessageId CHK0417I = 26188;
constexpr MessageId CHK0418A = 26488;
constexpr MessageId CHK0419A = 26489;
constexpr MessageId CHK0420I = 26191;
}  // namespace msg

struct MessageRow {
  MessageId id;
  const char* text;
};

/// The catalog in table order; ids are unique.
extern const MessageRow MessageCatalog[];
extern const std::size_t MessageCatalogSize;

/// The template of the first row with this id, or null when no row has it.
const char* lookupMessageText(MessageId id);
