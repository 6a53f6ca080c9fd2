# Failures carry Jet's numbers.

# A name that is no column is a parameter: grid text without quotes, a misspelt column.
query error 3061
SELECT FAVNAME ,FAVNUM FROM FAVNAME WHERE FAVNAME = 'News' AND FAVNUM = abc

query error 3061
SELECT CHANNELNUM FROM CHANNELS WHERE CHANNELS.NMAE = 'x'

statement error 3061
UPDATE FAVOURITE SET NUM = 1 WHERE FAVNAM = 'News'

statement error 3061
DELETE * FROM FAVOURITE WHERE Nobody = 1

# Unknown table
query error 3078
SELECT * FROM CHANELS

statement error 3078
DELETE * From FREQDUPS

statement error 3078
UPDATE Nothing SET a = 1

# A quote inside a text value ends the literal early.
query error 3075
SELECT NAME FROM CHANNELS WHERE NAME = 'O'Brien'

query error 3075
SELECT NAME FROM CHANNELS WHERE (NAME = 'x'

query error 3075
SELECT NAME FROM CHANNELS WHERE NAME = 'unterminated

statement error 3075
DELETE * FROM CHANNELS WHERE NAME ==

query error 3131
SELECT NAME FROM

query error 3131
SELECT NAME FROM (CHANNELS

statement error 3144
UPDATE CHANNELS NAME = 'x'

statement error 3144
UPDATE CHANNELS SET NAME 'x'

statement error 3134
INSERT INTO CHANNELS (NAME VALUES ('x')

statement error 3134
INSERT INTO CHANNELS (NAME) ('x')

statement error 3129
SELEKT * FROM CHANNELS

query error 3142
SELECT * FROM CHANNELS; SELECT * FROM FAVNAME

# A number column against a text literal, and a text column against a number.
query error 3464
SELECT NAME FROM CHANNELS WHERE SID = '100'

query error 3464
SELECT NAME FROM CHANNELS WHERE NAME = 5

# ... also when no row would be compared.
statement error 3464
DELETE * FROM FAVOURITE WHERE NUM = 'x' AND FAVNAME = 'Nobody'

statement error 3010
SELECT * INTO FAVNAME FROM FAVOURITE

statement error 3122
SELECT NAME, Count(*) AS n INTO T1 FROM CHANNELS GROUP BY SOURCEID

query error 3096
SELECT NAME FROM CHANNELS WHERE Count(*) > 1

query error 3079
SELECT SID FROM CHANNELS INNER JOIN FAVOURITE ON CHANNELS.SID = FAVOURITE.SID

statement error 3127
INSERT INTO FAVNAME (FAVNAME, Nope) VALUES ('A', 1)

statement error 3346
INSERT INTO FAVNAME (FAVNAME, FAVNUM) VALUES ('A')

statement error 3163
INSERT INTO FAVNAME (FAVNAME) VALUES ('A name far longer than the fifty characters the column holds')

query error 3085
SELECT Foo(NAME) FROM CHANNELS

# A row that fails halfway through an UPDATE leaves every row as it was, the rows before it
# (changed already) too.
statement error 11
UPDATE CHANNELS SET CHANNELNUM = CHANNELNUM + 10 / (CHANNELNUM - 4)

query
SELECT CHANNELNUM FROM CHANNELS ORDER BY CHANNELNUM
----
1
2
3
4
5
6
7

# Nothing above changed a table.
query
SELECT Count(*) FROM CHANNELS
----
7

query
SELECT Count(*) FROM FAVNAME
----
3
