// The EMF writer: the file's structure and the records each primitive becomes.
#include "core/support/emf_records.h"
#include "platform/codepage.h"
#include "platform/emf_surface.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::EmfRecord;
using test::readEmfRecords;

constexpr std::uint32_t kHeader = 1;
constexpr std::uint32_t kEof = 14;
constexpr std::uint32_t kMoveTo = 27;
constexpr std::uint32_t kSelect = 37;
constexpr std::uint32_t kCreatePen = 38;
constexpr std::uint32_t kDelete = 40;
constexpr std::uint32_t kEllipse = 42;
constexpr std::uint32_t kRectangle = 43;
constexpr std::uint32_t kLineTo = 54;
constexpr std::uint32_t kTextOut = 84;

const FixedPitchMeasure kFont(u"IPAGothic", {16, 8});

std::vector<EmfRecord> drawn(const std::function<void(EmfSurface&)>& drawing) {
    EmfSurface surface(kFont, {0, 0, 640, 480}, "Tarnova", "Ar40/Ar36");
    drawing(surface);
    return readEmfRecords(surface.finish());
}

// The records after the fixed opening (modes, pen, brush, font) and before the end.
std::vector<EmfRecord> drawingRecords(const std::vector<EmfRecord>& records) {
    const std::size_t opening = 10; // the header, three modes, pen, brush and font made and chosen
    if (records.size() < opening + 1) {
        return {};
    }
    return {records.begin() + opening, records.end() - 1};
}

TEST(EmfSurface, HeaderDescriptionAndEnd) {
    EmfSurface surface(kFont, {0, 0, 640, 480}, "Tarnova", "Ar40/Ar36");
    surface.drawRectangle({1, 2, 3, 4});
    const std::string bytes = surface.finish();
    const std::vector<EmfRecord> records = readEmfRecords(bytes);
    ASSERT_GE(records.size(), 3u);
    const EmfRecord& header = records.front();
    EXPECT_EQ(header.type, kHeader);
    // Bounds in pixels and frame in hundredths of a millimetre (96 dpi), both inclusive.
    EXPECT_EQ(header.field(0), 0);
    EXPECT_EQ(header.field(8), 639);
    EXPECT_EQ(header.field(12), 479);
    EXPECT_EQ(header.field(24), 16933 - 1); // 640 / 96 inch
    EXPECT_EQ(header.field(28), 12700 - 1); // 480 / 96 inch = 5 inch
    EXPECT_EQ(header.field(32), 0x464D4520);
    EXPECT_EQ(static_cast<std::size_t>(header.field(40)), bytes.size());
    EXPECT_EQ(static_cast<std::size_t>(header.field(44)), records.size());
    EXPECT_EQ(header.field(48) & 0xFFFF, 4); // the metafile, the pen, the brush, the font
    const auto count = static_cast<std::size_t>(header.field(52));
    const auto offset = static_cast<std::size_t>(header.field(56));
    EXPECT_EQ(header.units(offset - 8, count), std::u16string(u"Tarnova\0Ar40/Ar36\0\0", 19));
    EXPECT_EQ(records.back().type, kEof);
    EXPECT_EQ(records.back().body.size(), 12u);
}

TEST(EmfSurface, ShapesAndTheDashedPen) {
    const std::vector<EmfRecord> records = drawingRecords(drawn([](EmfSurface& s) {
        s.drawRectangle({104, 17, 632, 440});
        s.drawEllipse({166, 13, 175, 22});
        s.drawLine({1, 2}, {3, 4});
        s.drawDashedLine({104, 252}, {632, 252}, 2);
    }));
    std::vector<std::uint32_t> types;
    for (const EmfRecord& r : records) {
        types.push_back(r.type);
    }
    EXPECT_EQ(types, (std::vector<std::uint32_t>{kRectangle, kEllipse, kMoveTo, kLineTo, kCreatePen,
                                                 kSelect, kMoveTo, kLineTo, kSelect, kDelete}));
    // The surface's coordinates go into the records as they are.
    EXPECT_EQ(records[0].body, std::string("\x68\0\0\0\x11\0\0\0\x78\x02\0\0\xB8\x01\0\0", 16));
    EXPECT_EQ(records[1].field(8), 175);
    EXPECT_EQ(records[3].field(4), 4);
    // A dashed pen of width 2, selected for one line, then the solid pen (handle 1) again.
    EXPECT_EQ(records[4].field(4), 1);
    EXPECT_EQ(records[4].field(8), 2);
    EXPECT_EQ(records[5].field(0), records[4].field(0));
    EXPECT_EQ(records[8].field(0), 1);
    EXPECT_EQ(records[9].field(0), records[4].field(0));
}

TEST(EmfSurface, TextsWithTheirAdvances) {
    struct Case {
        const char* name;
        std::function<void(EmfSurface&)> draw;
        std::u16string units;
        SurfacePoint reference;
        std::vector<std::int32_t> advances;
        std::optional<SurfaceRect> clip;
    };
    const Case cases[] = {
        {"at a point",
         [](EmfSurface& s) {
             s.drawText({10, 20}, "Aσ日");
         },
         u"Aσ日",
         {10, 20},
         {8, 16, 16},
         std::nullopt},
        {"right",
         [](EmfSurface& s) {
             s.drawTextInRect({0, 0, 100, 16}, "AB", HorizontalAlignment::Right,
                              VerticalAlignment::Top);
         },
         u"AB",
         {84, 0},
         {8, 8},
         SurfaceRect{0, 0, 100, 16}},
        {"centred both ways",
         [](EmfSurface& s) {
             s.drawTextInRect({0, 0, 101, 40}, "AB", HorizontalAlignment::Center,
                              VerticalAlignment::Center);
         },
         u"AB",
         {42, 12},
         {8, 8},
         SurfaceRect{0, 0, 101, 40}},
        {"beyond the basic plane",
         [](EmfSurface& s) {
             s.drawText({0, 0}, "\xF0\x9F\x98\x80");
         },
         u"\U0001F600",
         {0, 0},
         {16, 0},
         std::nullopt},
    };
    for (const Case& c : cases) {
        const std::vector<EmfRecord> records = drawingRecords(drawn(c.draw));
        ASSERT_EQ(records.size(), 1u) << c.name;
        const EmfRecord& text = records[0];
        EXPECT_EQ(text.type, kTextOut) << c.name;
        // Bounds, graphics mode, scales, then the EmrText fields.
        EXPECT_EQ(text.field(16), 1) << c.name; // GM_COMPATIBLE
        EXPECT_EQ(text.field(28), c.reference.x) << c.name;
        EXPECT_EQ(text.field(32), c.reference.y) << c.name;
        const auto count = static_cast<std::size_t>(text.field(36));
        EXPECT_EQ(text.units(static_cast<std::size_t>(text.field(40)) - 8, count), c.units)
            << c.name;
        EXPECT_EQ(text.field(44), c.clip ? 4 : 0) << c.name;
        if (c.clip) {
            EXPECT_EQ(text.field(48), c.clip->left) << c.name;
            EXPECT_EQ(text.field(56), c.clip->right) << c.name;
        }
        const auto dx = static_cast<std::size_t>(text.field(64)) - 8;
        std::vector<std::int32_t> advances;
        for (std::size_t i = 0; i < count; ++i) {
            advances.push_back(text.field(dx + 4 * i));
        }
        EXPECT_EQ(advances, c.advances) << c.name;
    }
}

TEST(Utf8ToUtf16, CharactersAndDamagedSequences) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"Ar40/Ar36", u"Ar40/Ar36"},
        {"平均値σ", u"平均値σ"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"a\xFF"
         "b",
         u"a\uFFFDb"},
        {"\xE6\x97", u"\uFFFD\uFFFD"},                     // cut short
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    }
}

} // namespace
} // namespace tarnova
