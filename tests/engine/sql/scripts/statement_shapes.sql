# Statements that differ only in their literal values: the session parses each shape once and
# runs every later text of it with that text's own values, results and errors alike.

query
SELECT NAME FROM CHANNELS WHERE SID = 100 AND NID = 1
----
ORF1

query
SELECT NAME FROM CHANNELS WHERE SID = 101 AND NID = 1
----
ORF2

query
SELECT NAME FROM CHANNELS WHERE SID = 999 AND NID = 1
----

# Negative, and beyond Long (a Double then): still the values of this text.
query
SELECT NAME FROM CHANNELS WHERE SID = -100 AND NID = 1
----

query
SELECT NAME FROM CHANNELS WHERE SID = 4294967396 AND NID = 1
----

query
SELECT NAME FROM CHANNELS WHERE SID = 102 AND NID = 1
----
Ö1

# Text against a number column is refused whatever the text says.
query error 3464
SELECT NAME FROM CHANNELS WHERE SID = 'x' AND NID = 1

query error 3464
SELECT NAME FROM CHANNELS WHERE SID = 'y' AND NID = 1

# A shape that does not parse fails every time; an unknown name stays a parameter.
query error 3075
SELECT NAME FROM CHANNELS WHERE SID = 100 AND

query error 3075
SELECT NAME FROM CHANNELS WHERE SID = 101 AND

query error 3061
SELECT NAME FROM CHANNELS WHERE NOSUCH = 1

query error 3061
SELECT NAME FROM CHANNELS WHERE NOSUCH = 2

# Dates belong to the shape: a good one and a bad one of otherwise the same text.
query
SELECT NAME FROM CHANNELS WHERE #1/2/2020# < #1/3/2020# AND SID = 100
----
ORF1

query error 3075
SELECT NAME FROM CHANNELS WHERE #1/2/2020# < #13/45/2020# AND SID = 100

# Changes of one shape, each with its own values, the text ones with doubled quotes undone.
statement ok
UPDATE CHANNELS SET NAME = 'First' WHERE SID = 100 AND NID = 1

statement ok
UPDATE CHANNELS SET NAME = 'It''s second' WHERE SID = 102 AND NID = 1

statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (8, 'Shape A', 'S19E', 900, 9, 11111)

statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (9, 'Shape B', 'S19E', 901, 9, 11111)

# The same identity again, in other letters: the key refuses it.
statement error 3022
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (10, 'Shape C', 's19e', 900, 9, 11111)

query
SELECT SID, NAME FROM CHANNELS WHERE NAME IN ('First', 'It''s second') ORDER BY SID
----
100|First
102|It's second

query
SELECT CHANNELNUM, NAME, SID FROM CHANNELS WHERE NID = 9 ORDER BY SID
----
8|Shape A|900
9|Shape B|901

# An unknown name in a join's ON is a parameter like one anywhere else: the statement fails,
# the first time and again through the kept statement.
query error 3061
SELECT CHANNELS.NAME, FAVOURITE.NUM FROM CHANNELS LEFT JOIN FAVOURITE ON CHANNELS.NOSUCH = FAVOURITE.SID

query error 3061
SELECT CHANNELS.NAME, FAVOURITE.NUM FROM CHANNELS LEFT JOIN FAVOURITE ON CHANNELS.NOSUCH = FAVOURITE.SID
