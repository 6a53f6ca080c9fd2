// The parser's reject list (each with the number Jet gives it) and accept list, and the shape
// of the trees the executor relies on.
#include <gtest/gtest.h>

#include "engine/sql/parser.h"

namespace velmora::engine::sql {
namespace {

struct Rejected {
    const char* sql;
    int code;
};

TEST(Parser, RejectsWithJetNumbers) {
    const Rejected cases[] = {
        {"", 3129},
        {"SELEKT * FROM T", 3129},
        {"DROP TABLE T", 3129},
        {"SELECT", 3141},
        {"SELECT * T", 3075},
        {"SELECT a b FROM T", 3075},
        {"SELECT a FROM", 3131},
        {"SELECT a FROM (T", 3131},
        {"SELECT a FROM T LEFT T2 ON a = b", 3131},
        {"SELECT a FROM T INNER JOIN U", 3135},
        {"SELECT a FROM T WHERE", 3075},
        {"SELECT a FROM T WHERE a = 'x", 3075},
        {"SELECT a FROM T WHERE a = 'O'Brien'", 3075},
        {"SELECT a FROM T WHERE a = #13/45/2000#", 3075},
        {"SELECT a FROM T WHERE a IS 5", 3075},
        {"SELECT a FROM T WHERE a IN 1, 2", 3075},
        {"SELECT a FROM T WHERE (a = 1", 3075},
        {"SELECT a FROM T WHERE a = 12abc", 3075},
        {"SELECT a FROM T WHERE Forms!x = 1", 3075},
        {"SELECT [a FROM T", 3126},
        {"SELECT Len(a) FROM T", 3085},
        {"SELECT a FROM T ORDER a", 3138},
        {"SELECT a FROM T ORDER BY", 3138},
        {"SELECT a FROM T; x", 3142},
        {"SELECT a FROM T) ", 3142},
        {"DELETE * T", 3067},
        {"DELETE * FROM", 3131},
        {"DELETE * FROM T WHERE a = = 1", 3075},
        {"UPDATE T a = 1", 3144},
        {"UPDATE T SET a 1", 3144},
        {"UPDATE T SET a = 1 b = 2", 3144},
        {"UPDATE SET a = 1", 3144},
        {"INSERT T VALUES (1)", 3134},
        {"INSERT INTO T (a VALUES (1)", 3134},
        {"INSERT INTO T VALUES 1", 3134},
        {"INSERT INTO T (a) (1)", 3134},
        {"INSERT INTO T SELECT a INTO U FROM V", 3134},
    };
    for (const auto& c : cases) {
        auto r = parseStatement(c.sql);
        EXPECT_FALSE(r.isOk()) << c.sql;
        EXPECT_EQ(r.status().code(), c.code) << c.sql << " -> " << r.status().toString();
    }
}

TEST(Parser, AcceptsTheDialect) {
    const char* accepted[] = {
        "SELECT * FROM T",
        "select * from t;",
        "SELECT T.* , U.x FROM T, U",
        "SELECT [my col] AS [Alias 1], t.[b] FROM [My Table] AS t",
        "SELECT DISTINCT a FROM T ORDER BY a DESC, b ASC",
        "SELECT a, Count(*) AS n, Sum(b), Min(c), Max(d), Avg(e) FROM T GROUP BY a HAVING "
        "Count(*) > 1",
        "SELECT a INTO X FROM T",
        "SELECT a FROM ((T INNER JOIN U ON T.a = U.a) LEFT JOIN V ON (U.b = V.b) AND (U.c = "
        "V.c)) RIGHT OUTER JOIN W ON W.d = V.d",
        "SELECT a FROM T WHERE NOT a IS NULL AND b IS NOT NULL OR c NOT LIKE 'x*?' AND d NOT "
        "IN (1, 2.5, 'x') AND e BETWEEN #2000-01-01# AND #12/31/2001 11:59:59 PM#",
        "SELECT -a + +b * c / d \\ e MOD f ^ 2 & 'x' FROM T",
        "SELECT 'it''s', \"say \"\"hi\"\"\", True, False, Null, 1E3, .5 FROM T",
        "DELETE FROM T",
        "DELETE * From T WHERE (((T.a)='x'))",
        "DELETE T.* FROM T WHERE a = 1",
        "UPDATE T SET T.a = 'x', b = b + 1 WHERE (((T.c)='y'))",
        "INSERT INTO T VALUES (1, 'x', Null)",
        "INSERT INTO T (a, b) VALUES (1, 'x');",
        "INSERT INTO T (a) SELECT b FROM U WHERE c = 1",
    };
    for (const char* sql : accepted) {
        auto r = parseStatement(sql);
        EXPECT_TRUE(r.isOk()) << sql << " -> " << r.status().toString();
    }
}

TEST(Parser, PrecedenceAndParenthesesBuildTheExpectedTree) {
    auto r = parseStatement("SELECT a FROM T WHERE a = 1 OR b = 2 AND NOT c = 3");
    ASSERT_TRUE(r.isOk());
    const Expr& where = *std::get<SelectStatement>(*r).where;
    ASSERT_EQ(where.kind, ExprKind::Binary);
    EXPECT_EQ(where.op, Op::Or);
    EXPECT_EQ(where.right->op, Op::And);
    EXPECT_EQ(where.right->right->kind, ExprKind::Unary);
    EXPECT_EQ(where.right->right->left->op, Op::Equal);

    auto deep = parseStatement("SELECT a FROM T WHERE ((((((a)))))) = (((1)))");
    ASSERT_TRUE(deep.isOk());
    const Expr& e = *std::get<SelectStatement>(*deep).where;
    EXPECT_EQ(e.left->kind, ExprKind::Column);
    EXPECT_EQ(e.right->kind, ExprKind::Literal);

    // Nesting beyond what any statement needs is refused, not a stack overflow.
    std::string tooDeep =
        "SELECT a FROM T WHERE " + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_EQ(parseStatement(tooDeep).status().code(), 3360);
    std::string manyNots = "SELECT a FROM T WHERE ";
    for (int i = 0; i < 5000; ++i)
        manyNots += "NOT ";
    EXPECT_EQ(parseStatement(manyNots + "a").status().code(), 3360);
}

TEST(Parser, LiteralsAndNames) {
    auto r = parseStatement(
        "SELECT [Sender Name] AS n, 'O''Brien', #2/29/2024 18:00#, 2147483648 FROM T AS x");
    ASSERT_TRUE(r.isOk());
    const auto& s = std::get<SelectStatement>(*r);
    EXPECT_EQ(s.items[0].expr->name, "Sender Name");
    EXPECT_EQ(s.items[0].alias, "n");
    EXPECT_EQ(std::get<std::string>(s.items[1].expr->value), "O'Brien");
    EXPECT_DOUBLE_EQ(std::get<store::DateTime>(s.items[2].expr->value).days, 45351.75);
    // Past the Long range a number literal is a Double.
    EXPECT_DOUBLE_EQ(std::get<double>(s.items[3].expr->value), 2147483648.0);
    EXPECT_EQ(s.from[0]->table.alias, "x");

    EXPECT_FALSE(parseDateLiteral("2023-02-29").has_value());
    EXPECT_FALSE(parseDateLiteral("24:00").has_value());
    EXPECT_DOUBLE_EQ(*parseDateLiteral("1899-12-30"), 0.0);
    EXPECT_DOUBLE_EQ(*parseDateLiteral("12:00 PM"), 0.5);
}

}  // namespace
}  // namespace velmora::engine::sql
