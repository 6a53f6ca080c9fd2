# The dialect beyond the program's own statements.

# Keywords in any letter case, bracketed names, aliases, table.*, a trailing semicolon.
query header
select [NAME], c.SID as [The SID] from CHANNELS as c where c.[CHANNELNUM] <= 2;
----
NAME|The SID
ORF1|100
ORF2|101

query header
SELECT FAVNAME.*, 1 + 1, 'a' & 'b' FROM FAVNAME WHERE FAVNUM = 1
----
FAVNAME|FAVNUM|Expr1000|Expr1001
News|1|2|ab

# Both quote styles, doubled quotes inside.
query
SELECT "It""s" AS a, 'O''Brien' AS b FROM FAVNAME WHERE FAVNUM = 1
----
It"s|O'Brien

# LIKE with * and ?, IN, NOT, IS NOT NULL, parentheses at any depth, OR.
query
SELECT NAME FROM CHANNELS WHERE NAME LIKE 'sport*'
----
Sport1
Sport1

query
SELECT NAME FROM CHANNELS WHERE NAME LIKE 'ORF?'
----
ORF1
ORF2

query
SELECT NAME FROM CHANNELS WHERE SID IN (100, 102, 301)
----
ORF1
Ö1
Radio X

query
SELECT NAME FROM CHANNELS WHERE NOT (SID IN (100, 102, 301)) AND ((((ECM = 0))) OR (VIDEOID = 170))
----
ORF2
Sport1
Sport1
(empty)

query
SELECT NAME FROM CHANNELS WHERE PROVIDERID IS NOT NULL AND PROVIDERID <> ''
----
ORF1
ORF2
Ö1
Sport1
Sport1
Radio X

# Text order uses the collation: case-insensitive, umlauts beside their letters.
query
SELECT NAME FROM CHANNELS WHERE SID < 300 ORDER BY NAME DESC, FREQUENCY
----
Sport1
Sport1
ORF2
ORF1
Ö1

query
SELECT FAVNAME FROM FAVNAME WHERE FAVNAME = 'SPORT'
----
Sport

# Arithmetic and aggregates.
query
SELECT Sum(CHANNELNUM), Min(NAME), Max(FREQUENCY) FROM CHANNELS
----
28|(empty)|12722

query
SELECT SOURCEID, Count(*) AS n FROM CHANNELS GROUP BY SOURCEID ORDER BY Count(*) DESC
----
S19E|5
S13E|2

# Dates
query
SELECT #2024-02-29#, #12/31/1999 23:59:58# FROM FAVNAME WHERE FAVNUM = 1
----
2024-02-29|1999-12-31 23:59:58

query
SELECT True, False, Null FROM FAVNAME WHERE FAVNUM = 1
----
True|False|NULL

# RIGHT JOIN keeps the order and every row of the right table.
query
SELECT FAVNAME.FAVNAME, FAVOURITE.NUM FROM FAVOURITE RIGHT JOIN FAVNAME ON FAVOURITE.FAVNAME = FAVNAME.FAVNAME
----
News|1
News|2
Sport|1
Sport|2
Kids|NULL

# Nested joins in parentheses.
query
SELECT FAVNAME.FAVNAME, CHANNELS.NAME FROM (FAVNAME INNER JOIN FAVOURITE ON FAVNAME.FAVNAME = FAVOURITE.FAVNAME) LEFT JOIN CHANNELS ON (FAVOURITE.SID = CHANNELS.SID) AND (FAVOURITE.SOURCEID = CHANNELS.SOURCEID) WHERE CHANNELS.FREQUENCY IS NULL OR CHANNELS.FREQUENCY > 12000
----
Sport|Sport1
Sport|Sport1
Sport|NULL

# An ON whose keys on one side come from two tables of a nested join.
query
SELECT FAVNAME.FAVNUM, FAVOURITE.NUM, CHANNELS.NAME FROM (FAVNAME INNER JOIN FAVOURITE ON FAVNAME.FAVNAME = FAVOURITE.FAVNAME) LEFT JOIN CHANNELS ON (FAVOURITE.SID = CHANNELS.SID) AND (FAVNAME.FAVNUM = CHANNELS.NID)
----
1|1|ORF1
1|2|ORF2
2|1|Sport1
2|1|Sport1
2|2|NULL

# DISTINCT
query
SELECT DISTINCT NAME FROM CHANNELS WHERE SOURCEID = 'S19E'
----
Ö1
ORF1
ORF2
Sport1

# INSERT ... SELECT and SELECT ... INTO with all rows or none.
statement ok
INSERT INTO FAVOURITE (FAVNAME, NUM, SOURCEID, SID, NID) SELECT 'Kids', CHANNELNUM, SOURCEID, SID, NID FROM CHANNELS WHERE VIDEOID = 0

query
SELECT NUM, SID FROM FAVOURITE WHERE FAVNAME = 'Kids'
----
3|102
6|300
7|301

statement ok
SELECT NAME, CHANNELNUM AS N INTO Copy FROM CHANNELS WHERE ECM <> 0

query header
SELECT * FROM Copy
----
NAME|N
ORF2|2
Radio X|7

statement ok
DELETE FROM Copy

query
SELECT Count(*) FROM Copy
----
0

# Whole-number arithmetic goes on in doubles past 64 bits; Mod and \ refuse such operands.
query
SELECT 7 MOD 3, 7 \ 2, 2147483647 * 4294967296 * 4 FROM FAVNAME WHERE FAVNUM = 1
----
1|3|36893488130239234048

query error 3349
SELECT FAVNUM MOD 1E300 FROM FAVNAME

query error 11
SELECT FAVNUM / 0 FROM FAVNAME
