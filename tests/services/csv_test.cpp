#include "services/csv.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

QString text(const char *utf8) { return QString::fromUtf8(utf8); }

CSV::Table table(std::initializer_list<QStringList> rows) { return CSV::Table(rows); }

} // namespace

TEST(CSV, ParsesRowsAndFields)
{
    // Built from QChar: QString::fromUtf8 drops a leading byte-order mark itself.
    const QString bom(QChar(0xFEFF));
    const struct {
        const char *name;
        QString input;
        CSV::Table expected;
    } cases[] = {
        {"LF", text("a,b\nc"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"CR", text("a,b\rc"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"CR LF ends one row", text("a,b\r\nc"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"trailing LF", text("a,b\nc\n"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"trailing CR", text("a,b\rc\r"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"trailing CR LF", text("a,b\r\nc\r\n"), table({{u"a"_s, u"b"_s}, {u"c"_s}})},
        {"LF CR is two line ends", text("a\n\rb"), table({{u"a"_s}, {u"b"_s}})},
        {"blank lines dropped", text("a\n\n\nb"), table({{u"a"_s}, {u"b"_s}})},
        {"lone comma", text(","), table({{u""_s, u""_s}})},
        {"comma at line end", text("a,\n"), table({{u"a"_s, u""_s}})},
        {"empty text", QString(), table({})},
        {"lone LF", text("\n"), table({})},
        {"spaces kept", text(" a , b "), table({{u" a "_s, u" b "_s}})},
        {"rows of different lengths", text("a,b,c\nd\ne,f"), table({{u"a"_s, u"b"_s, u"c"_s}, {u"d"_s}, {u"e"_s, u"f"_s}})},
        {"quoted comma and doubled quote", text("\"x, \"\"y\"\"\",z"), table({{u"x, \"y\""_s, u"z"_s}})},
        {"quote inside a field", text("ab\"c,d\"e"), table({{u"abc,de"_s}})},
        {"quoted line break", text("\"line 1\nline 2\",x"), table({{u"line 1\nline 2"_s, u"x"_s}})},
        {"quoted CR LF kept", text("\"a\r\nb\""), table({{u"a\r\nb"_s}})},
        {"empty quoted field", text("\"\",a"), table({{u""_s, u"a"_s}})},
        {"lone empty quoted field is blank", text("\"\""), table({})},
        {"unterminated quote keeps text", text("a,\"b\nc"), table({{u"a"_s, u"b\nc"_s}})},
        {"leading byte-order mark", bom + text("a,b"), table({{u"a"_s, u"b"_s}})},
        {"byte-order mark inside a field", text("a") + bom + text("b"), table({{text("a") + bom + text("b")}})},
        {"byte-order mark after a comma", text(",") + bom, table({{u""_s, bom}})},
        {"byte-order mark on the second line", text("a\n") + bom, table({{u"a"_s}, {bom}})},
        {"byte-order mark after an empty quoted field", text("\"\"") + bom + text("a"), table({{u"a"_s}})},
        {"non-BMP characters", text("\xF0\x9F\x8E\xB5,\xC3\xA9"),
         table({{text("\xF0\x9F\x8E\xB5"), text("\xC3\xA9")}})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CSV::parse(c.input), c.expected);
    }
}

TEST(CSV, EncodesFields)
{
    const struct {
        QString field;
        QString expected;
    } cases[] = {
        {text("plain"), text("plain")},
        {QString(), QString()},
        {text("a\"b"), text("\"a\"\"b\"")},
        {text("a,b"), text("\"a,b\"")},
        {text("a\nb"), text("\"a\nb\"")},
        {text("a\rb"), text("\"a\rb\"")},
        {text("a\r\nb"), text("\"a\r\nb\"")},
        {text("=SUM(A1:A3)"), text("'=SUM(A1:A3)")},
        {text("=SUM(A1,A2)"), text("\"'=SUM(A1,A2)\"")},
        {text("-12.5"), text("-12.5")},
        {text("+3"), text("+3")},
        {text("-1e3"), text("-1e3")},
        {text("-inf"), text("-inf")},
        {text("+nan"), text("+nan")},
        {text("-0x1p3"), text("-0x1p3")},
        {text("-"), text("'-")},
        {text("=1+1"), text("'=1+1")},
        {text("@home"), text("'@home")},
        {text("+1 555"), text("'+1 555")},
        {text("- 5"), text("'- 5")},
        {text("\t5"), text("'\t5")},
        {text("\r5"), text("\"'\r5\"")},
        {text("5-"), text("5-")},
        {text("'quoted"), text("'quoted")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        EXPECT_EQ(CSV::encode({{c.field}}), c.expected + QStringLiteral("\r\n"));
    }
}

TEST(CSV, EncodesRowsWithCrLf)
{
    EXPECT_EQ(CSV::encode({{u"Artist"_s, u"Title"_s}, {u"x"_s, u"y"_s}}), text("Artist,Title\r\nx,y\r\n"));
    EXPECT_EQ(CSV::encode({{u""_s, u""_s, u""_s}}), text(",,\r\n"));
    EXPECT_EQ(CSV::encode({}), text("\r\n"));
}

TEST(CSV, ParseUndoesEncodeExceptTheFormulaGuard)
{
    const CSV::Table rows = {
        {u"Artist"_s, u"Title"_s, u"Notes"_s},
        {u"Sigur R\u00f3s"_s, u"( )"_s, u"line 1\nline 2, \"quoted\""_s},
        {u""_s, u""_s, u""_s},
        {u" padded "_s, u"a\r\nb"_s, u"-12.5"_s},
    };
    EXPECT_EQ(CSV::parse(CSV::encode(rows)), rows);

    const CSV::Table guarded = CSV::parse(CSV::encode({{u"=cmd"_s, u"@x"_s, u"-"_s, u"+3"_s}}));
    EXPECT_EQ(guarded, table({{u"'=cmd"_s, u"'@x"_s, u"'-"_s, u"+3"_s}}));
}
