#pragma once

// The host program's 180 working arrays, each in a labelled COMMON block of
// its own and dimensioned by a numbered list, and the nine groups in which
// they are generated.  Rows are numbered 1 to 180 as in the host program.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/error.h"

namespace sizgen {

// Type codes.  The implicit code follows from the first letter of the array
// name (IMPLICIT REAL*8 (A-H, O-Z), INTEGER*4 (I-N)); a non-zero override
// replaces it.
inline constexpr std::int32_t kCharacter6 = 1;
inline constexpr std::int32_t kCharacter1 = 2;
inline constexpr std::int32_t kReal8 = 3;
inline constexpr std::int32_t kInteger4 = 4;
inline constexpr std::int32_t kCharacter80 = 5;

// What a type code stands for.
struct TypeCode {
  std::int32_t code;
  std::string_view fortranName;  // as newmods.for declares it
  std::int32_t words;            // INTEGER*4 words an element in the storage total
  std::int32_t roundingBytes;    // bytes an element in the byte rounding
  std::int64_t bytes;            // bytes an element that the compiler allocates
  bool implicit;                 // typed by the IMPLICIT statement, without a type statement
};

// clang-format off
inline constexpr std::array<TypeCode, 5> kTypeCodes = {{
    // code        Fortran name    words rounding bytes implicit
    {kCharacter6,  "CHARACTER*6",      2,       6,    6, false},
    {kCharacter1,  "CHARACTER*1",      4,       1,    1, false},
    {kReal8,       "REAL*8",           2,       8,    8, true},
    {kInteger4,    "INTEGER*4",        1,       4,    4, true},
    {kCharacter80, "CHARACTER*80",    20,       4,   80, false},  // rounded as 4 bytes, not 80
}};
// clang-format on

// The row of type code `code`, 1 to 5.
constexpr const TypeCode& typeCode(std::int32_t code) {
  if (code < 1 || code > static_cast<std::int32_t>(kTypeCodes.size()))
    throw InternalError("no type code " + std::to_string(code));
  return kTypeCodes[static_cast<std::size_t>(code - 1)];
}

struct CatalogRow {
  std::string_view name;      // array name, six characters, blank-padded
  std::string_view block;     // labelled COMMON block
  std::int32_t list;          // number of the list that dimensions it
  std::int32_t typeOverride;  // 0: implicit typing
};

inline constexpr int kCatalogRows = 180;

// clang-format off
inline constexpr std::array<CatalogRow, kCatalogRows> ArrayCatalog = {{
    // name    block   list  type   row group
    {"X     ", "C0B001",  3, 0},  //   1 ROOT10
    {"YKM   ", "C0B002", 54, 0},  //   2 ROOT10
    {"KM    ", "C0B003", 54, 0},  //   3 ROOT10
    {"XK    ", "C0B004",  8, 0},  //   4 ROOT10
    {"XM    ", "C0B005",  8, 0},  //   5 ROOT10
    {"XMAX  ", "C0B006", 58, 0},  //   6 ROOT10
    {"KOUTVP", "C0B007", 62, 0},  //   7 ROOT10
    {"BNRG  ", "C0B008", 18, 0},  //   8 ROOT10
    {"SCONST", "C0B009", 20, 0},  //   9 ROOT10
    {"CNVHST", "C0B010", 22, 0},  //  10 ROOT10
    {"SFD   ", "C0B011", 21, 0},  //  11 ROOT10
    {"QFD   ", "C0B012", 21, 0},  //  12 ROOT10
    {"SEMAUX", "C0B013", 22, 0},  //  13 ROOT10
    {"SPTACS", "C0B014", 19, 0},  //  14 ROOT10
    {"RRTACS", "C0B015", 28, 0},  //  15 ROOT10
    {"CSTO  ", "C0B016", 15, 2},  //  16 ROOT10
    {"CIDEAL", "C0B017", 31, 5},  //  17 ROOT10
    {"NMDL  ", "C0B018", 27, 0},  //  18 ROOT10
    {"XMDL  ", "C0B019", 27, 0},  //  19 ROOT10
    {"ITYMDL", "C0B020", 27, 0},  //  20 ROOT10
    {"IRFMDL", "C0B021", 27, 0},  //  21 ROOT10
    {"KSWTYP", "C0B022",  6, 0},  //  22 ROOT10
    {"MODSWT", "C0B023",  6, 0},  //  23 ROOT10
    {"KBEGSW", "C0B024", 73, 0},  //  24 ROOT10
    {"KENTNB", "C0B025", 73, 0},  //  25 ROOT10
    {"TOPEN ", "C0B026", 60, 0},  //  26 ROOT10
    {"CRIT  ", "C0B027",  6, 0},  //  27 ROOT10
    {"KDEPSW", "C0B028", 60, 0},  //  28 ROOT10
    {"TDNS  ", "C0B029",  6, 0},  //  29 ROOT10
    {"IARDUB", "C0B030", 63, 0},  //  30 ROOT10
    {"ARDUBE", "C0B031", 64, 0},  //  31 ROOT10
    {"NONLAD", "C0B032",  9, 0},  //  32 ROOT10
    {"NONLE ", "C0B033",  9, 0},  //  33 ROOT10
    {"VNONL ", "C0B034",  9, 0},  //  34 ROOT10
    {"CURR  ", "C0B035",  9, 0},  //  35 ROOT10
    {"ANONL ", "C0B036",  9, 0},  //  36 ROOT10
    {"VECNL1", "C0B037",  9, 0},  //  37 ROOT10
    {"VECNL2", "C0B038",  9, 0},  //  38 ROOT10
    {"NAMENL", "C0B039",  9, 0},  //  39 ROOT10
    {"VZERO ", "C0B040",  9, 0},  //  40 ROOT10
    {"ILAST ", "C0B041",  9, 0},  //  41 ROOT10
    {"NLTYPE", "C0B042",  9, 0},  //  42 ROOT10
    {"NLSUB ", "C0B043",  9, 0},  //  43 ROOT10
    {"NONLK ", "C0B044",  9, 0},  //  44 ROOT10
    {"NONLM ", "C0B045",  9, 0},  //  45 ROOT10
    {"CURSUB", "C0B046", 53, 0},  //  46 ROOT10
    {"CCHAR ", "C0B047", 10, 0},  //  47 ROOT10
    {"VCHAR ", "C0B048", 10, 0},  //  48 ROOT10
    {"GSLOPE", "C0B049", 10, 0},  //  49 ROOT10
    {"KK    ", "C0B050",  1, 0},  //  50 ROOT10
    {"C     ", "C0B051",  3, 0},  //  51 ROOT10
    {"TR    ", "C0B052",  5, 0},  //  52 ROOT10
    {"TX    ", "C0B053",  5, 0},  //  53 ROOT10
    {"R     ", "C0B054",  3, 0},  //  54 ROOT10
    {"NR    ", "C0B055",  2, 0},  //  55 ROOT10
    {"LENGTH", "C0B056",  2, 0},  //  56 ROOT10
    {"NODABR", "C0B057", 72, 0},  //  57 ROOT10
    {"CIK   ", "C0B058",  2, 0},  //  58 ROOT10
    {"CI    ", "C0B059",  2, 0},  //  59 ROOT10
    {"CK    ", "C0B060",  2, 0},  //  60 ROOT10
    {"BVALUE", "C0B061", 74, 0},  //  61 ROOT10
    {"ISMOUT", "C0B062", 70, 0},  //  62 ROOT10
    {"ELP   ", "C0B063", 65, 0},  //  63 ROOT10
    {"CU    ", "C0B064", 66, 0},  //  64 ROOT10
    {"SHP   ", "C0B065", 67, 0},  //  65 ROOT10
    {"HISTQ ", "C0B066", 68, 0},  //  66 ROOT10
    {"ISMDAT", "C0B067", 69, 0},  //  67 ROOT10
    {"TEXVEC", "C0B068",  7, 1},  //  68 ROOT10
    {"BUS   ", "C0B069",  1, 1},  //  69 ROOT10
    {"TSTOP ", "C0B070",  4, 0},  //  70 ROOT10
    {"SPUM  ", "C0B071", 25, 0},  //  71 ROOT10
    {"KKS   ", "C0B072", 71, 0},  //  72 ROOT10
    {"KKNONL", "C0B073", 57, 0},  //  73 ROOT10
    {"ZNONL ", "C0B074", 57, 0},  //  74 ROOT10
    {"FINIT ", "C0B075",  1, 0},  //  75 ROOT10
    {"ISUBEG", "C0B076", 55, 0},  //  76 ROOT10
    {"LITYPE", "C0B077",  2, 0},  //  77 ROOT10
    {"IMODEL", "C0B078",  2, 0},  //  78 ROOT10
    {"KBUS  ", "C0B079",  2, 0},  //  79 ROOT10
    {"MBUS  ", "C0B080",  2, 0},  //  80 ROOT10
    {"KODEBR", "C0B081",  2, 0},  //  81 ROOT10
    {"CKI   ", "C0B082",  2, 0},  //  82 ROOT10
    {"CKKJM ", "C0B083",  2, 0},  //  83 ROOT10
    {"INDHST", "C0B084",  2, 0},  //  84 ROOT10
    {"KODSEM", "C0B085",  2, 0},  //  85 ROOT10
    {"NAMEBR", "C0B086",  2, 0},  //  86 ROOT10
    {"I4BYTE", "C0B087", 12, 0},  //  87 ROOT10
    {"IFORM ", "C0B088",  4, 0},  //  88 ROOT10
    {"NODE  ", "C0B089",  4, 0},  //  89 ROOT10
    {"CREST ", "C0B090",  4, 0},  //  90 ROOT10
    {"TIME1 ", "C0B091",  4, 0},  //  91 ROOT10
    {"TIME2 ", "C0B092",  4, 0},  //  92 ROOT10
    {"TSTART", "C0B093",  4, 0},  //  93 ROOT10
    {"SFREQ ", "C0B094",  4, 0},  //  94 ROOT10
    {"NBHDSW", "C0B095", 56, 0},  //  95 ROOT10
    {"KMSWIT", "C0B096", 60, 0},  //  96 ROOT10
    {"NEXTSW", "C0B097", 73, 0},  //  97 ROOT10
    {"TCLOSE", "C0B098",  6, 0},  //  98 ROOT10
    {"ADELAY", "C0B099", 60, 0},  //  99 ROOT10
    {"KPOS  ", "C0B100",  6, 0},  // 100 ROOT10
    {"NAMESW", "C0B101", 73, 0},  // 101 ROOT10
    {"E     ", "C0B102",  1, 0},  // 102 ROOT10
    {"F     ", "C0B103",  1, 0},  // 103 ROOT10
    {"KSSFRQ", "C0B104",  1, 0},  // 104 ROOT10
    {"KODE  ", "C0B105",  1, 0},  // 105 ROOT10
    {"KPSOUR", "C0B106",  1, 0},  // 106 ROOT10
    {"VOLTI ", "C0B107", 59, 0},  // 107 ROOT10
    {"VOLTK ", "C0B108", 26, 0},  // 108 ROOT10
    {"VOLT  ", "C0B109", 59, 0},  // 109 ROOT10
    {"IBSOUT", "C0B110", 51, 0},  // 110 ROOT10
    {"ARRAY1", "SPAC01", 23, 0},  // 111 ROOT20
    {"NORDER", "SPAC02",  1, 0},  // 112 ROOT20
    {"JINDEX", "SPAC03",  1, 0},  // 113 ROOT20
    {"DIAG  ", "SPAC04",  1, 0},  // 114 ROOT20
    {"DIAB  ", "SPAC05",  1, 0},  // 115 ROOT20
    {"SOLR  ", "SPAC06",  1, 0},  // 116 ROOT20
    {"SOLI  ", "SPAC07",  1, 0},  // 117 ROOT20
    {"ICH1  ", "SPAC08",  1, 0},  // 118 ROOT20
    {"BND   ", "SPAC09", 23, 0},  // 119 ROOT20
    {"ILOC  ", "SPAC10", 23, 0},  // 120 ROOT20
    {"GND   ", "SPAC11", 23, 0},  // 121 ROOT20
    {"KARRAY", "C20B01",  0, 0},  // 122 ROOT20
    {"JARRAY", "C20B02", 29, 0},  // 123 ROOT20
    {"PLOTEV", "C21B01", 13, 0},  // 124 ROOT21
    {"XDAT  ", "C23B01", 71, 0},  // 125 ROOT23
    {"YDAT  ", "C23B02", 71, 0},  // 126 ROOT23
    {"APHDAT", "C23B03", 71, 0},  // 127 ROOT23
    {"JNDEX ", "C09B01",  1, 0},  // 128 ROOT9
    {"DIAGG ", "C09B02",  1, 0},  // 129 ROOT9
    {"DIABB ", "C09B03",  1, 0},  // 130 ROOT9
    {"SOLRSV", "C09B04",  1, 0},  // 131 ROOT9
    {"SOLISV", "C09B05",  1, 0},  // 132 ROOT9
    {"GNDD  ", "C09B06", 23, 0},  // 133 ROOT9
    {"BNDD  ", "C09B07", 23, 0},  // 134 ROOT9
    {"NODFIX", "C09B08", 52, 0},  // 135 ROOT9
    {"NEKFIX", "C09B09",  4, 0},  // 136 ROOT9
    {"FXTEM2", "C09B10",  4, 0},  // 137 ROOT9
    {"FXTEM3", "C09B11",  4, 0},  // 138 ROOT9
    {"FXTEM4", "C09B12",  4, 0},  // 139 ROOT9
    {"FXTEM5", "C09B13",  4, 0},  // 140 ROOT9
    {"FXTEM6", "C09B14",  4, 0},  // 141 ROOT9
    {"FIXBU4", "C09B15",  4, 0},  // 142 ROOT9
    {"FIXBU5", "C09B16",  4, 0},  // 143 ROOT9
    {"FIXBU6", "C09B17",  4, 0},  // 144 ROOT9
    {"FIXBU7", "C09B18",  4, 0},  // 145 ROOT9
    {"FIXBU8", "C09B19",  4, 0},  // 146 ROOT9
    {"FIXBU9", "C09B20",  4, 0},  // 147 ROOT9
    {"FIXB10", "C09B21",  4, 0},  // 148 ROOT9
    {"FIXB11", "C09B22",  4, 0},  // 149 ROOT9
    {"KNDEX ", "C09B23",  4, 0},  // 150 ROOT9
    {"KARRAY", "C25B01",  9, 0},  // 151 ROOT25
    {"IC    ", "C25B02", 71, 0},  // 152 ROOT25
    {"R     ", "C25B03", 71, 0},  // 153 ROOT25
    {"D     ", "C25B04", 71, 0},  // 154 ROOT25
    {"GMD   ", "C25B05", 71, 0},  // 155 ROOT25
    {"X     ", "C25B06", 71, 0},  // 156 ROOT25
    {"Y     ", "C25B07", 71, 0},  // 157 ROOT25
    {"TB2   ", "C25B08", 71, 0},  // 158 ROOT25
    {"ITB3  ", "C25B09", 71, 0},  // 159 ROOT25
    {"WORKR1", "C25B10", 71, 0},  // 160 ROOT25
    {"WORKR2", "C25B11", 71, 0},  // 161 ROOT25
    {"ER    ", "C25B12", 71, 0},  // 162 ROOT25
    {"EI    ", "C25B13", 71, 0},  // 163 ROOT25
    {"THETA2", "C25B14", 71, 0},  // 164 ROOT25
    {"XTIR  ", "C25B15", 71, 0},  // 165 ROOT25
    {"XTII  ", "C25B16", 71, 0},  // 166 ROOT25
    {"ZSURGE", "C25B17", 71, 0},  // 167 ROOT25
    {"DUMMR ", "C25B18", 71, 0},  // 168 ROOT25
    {"DUMMI ", "C25B19", 71, 0},  // 169 ROOT25
    {"ITBIC ", "C25B20", 73, 0},  // 170 ROOT25
    {"TBR   ", "C25B21", 73, 0},  // 171 ROOT25
    {"TBD   ", "C25B22", 73, 0},  // 172 ROOT25
    {"TBG   ", "C25B23", 73, 0},  // 173 ROOT25
    {"TBX   ", "C25B24", 73, 0},  // 174 ROOT25
    {"TBY   ", "C25B25", 73, 0},  // 175 ROOT25
    {"TBTB2 ", "C25B26", 73, 0},  // 176 ROOT25
    {"ITBTB3", "C25B27", 73, 0},  // 177 ROOT25
    {"KARRAY", "C26B01",  9, 0},  // 178 ROOT26
    {"KARRAY", "C27B01",  9, 0},  // 179 ROOT27
    {"NBHDXX", "C28B01", 74, 0},  // 180 ROOT28
}};
// clang-format on

// Row i, 1 <= i <= 180.
constexpr const CatalogRow& catalogRow(int i) {
  if (i < 1 || i > kCatalogRows) throw InternalError("no row " + std::to_string(i));
  return ArrayCatalog[static_cast<std::size_t>(i - 1)];
}

// An array, block or subroutine name without its blank padding: "X", "ROOT9".
constexpr std::string_view trimmedName(std::string_view name) {
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

constexpr std::int32_t implicitTypeCode(const CatalogRow& row) {
  return std::string_view("IJKLMN").find(row.name[0]) != std::string_view::npos ? kInteger4
                                                                                : kReal8;
}

constexpr std::int32_t effectiveTypeCode(const CatalogRow& row) {
  return row.typeOverride != 0 ? row.typeOverride : implicitTypeCode(row);
}

// INTEGER*4 words per element in the storage total.
constexpr std::int32_t wordsPerElement(std::int32_t code) {
  return typeCode(code).words;
}

// Bytes per element in the byte rounding.
constexpr std::int32_t bytesPerElement(std::int32_t code) {
  return typeCode(code).roundingBytes;
}

// Rows up to this one may be rounded to a quantum of bytes.
inline constexpr int kLastRoundedRow = 150;

// Lists 0 and 98 add nothing to the storage total.
constexpr bool countsInTotal(std::int32_t list) {
  return list != 0 && list != 98;
}

// Row 122 (KARRAY in C20B01) is stored with list 0, which keeps it out of
// the storage total; before its group is generated it takes list 99, the
// first supplemental offset, and DIMDEF writes that list number as 0.
inline constexpr int kSupplementalRow = 122;
inline constexpr std::int32_t kSupplementalList = 99;

constexpr std::int32_t generatedListNumber(int row) {
  return row == kSupplementalRow ? kSupplementalList : catalogRow(row).list;
}

// The list sizes that change between groups, each set just before the
// header of the group that first sees the new value.
enum class LateStep {
  None,
  PlotList,         // list 71 from the second supplemental offset
  SquareRootLists,  // lists 71 and 73 by the square-root rule
  NeighbourList,    // list 74 from SCALE6
};

// The nine groups, one generated subroutine each, in generation order.
// Each group after ROOT10 answers DIMDEF's NCHAIN = selector and passes
// the chain on to the next selector.
struct Group {
  std::string_view subroutine;  // six characters, blank-padded
  int firstRow;
  int lastRow;
  std::int32_t selector;
  std::int32_t nextSelector;
  LateStep lateStep;  // taken before the group's header
};

// clang-format off
inline constexpr std::array<Group, 9> kGroups = {{
    // subroutine first last selector next  late step before the group
    {"ROOT10",   1, 110,  0,  0, LateStep::None},
    {"ROOT20", 111, 123, 20, 21, LateStep::None},
    {"ROOT21", 124, 124, 21, 23, LateStep::None},
    {"ROOT23", 125, 127, 23,  9, LateStep::PlotList},
    {"ROOT9 ", 128, 150,  9, 25, LateStep::None},
    {"ROOT25", 151, 177, 25, 26, LateStep::SquareRootLists},
    {"ROOT26", 178, 178, 26, 27, LateStep::None},
    {"ROOT27", 179, 179, 27, 28, LateStep::None},
    {"ROOT28", 180, 180, 28, 99, LateStep::NeighbourList},
}};
// clang-format on

// The group that generates `row`, 1 <= row <= 180.
constexpr const Group& groupOfRow(int row) {
  const auto* group = std::find_if(kGroups.begin(), kGroups.end(),
                                   [row](const Group& g) { return row <= g.lastRow; });
  if (row < 1 || group == kGroups.end()) throw InternalError("no row " + std::to_string(row));
  return *group;
}

// Whether `row` of `group` is the first of its group to use its list (at
// generation time); rows of other groups are never looked at.
constexpr bool isFirstOccurrence(const Group& group, int row) {
  for (int earlier = group.firstRow; earlier < row; ++earlier) {
    if (generatedListNumber(earlier) == generatedListNumber(row)) return false;
  }
  return true;
}

}  // namespace sizgen
