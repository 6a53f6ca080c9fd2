# Deleting the "(empty)" slots: exact text equality, so a name with an extra blank stays.

statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (8, '(empty) ', 'S13E', 302, 3, 11000)

statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (9, '(EMPTY)', 'S13E', 303, 3, 11000)

statement ok
DELETE * From CHANNELS WHERE (((CHANNELS.NAME)='(empty)'))

# The renumbering after it walks the rows in stored order.
query
SELECT CHANNELNUM FROM CHANNELS
----
1
2
3
4
5
7
8

query
SELECT NAME FROM CHANNELS WHERE CHANNELNUM > 6
----
Radio X
(empty) 

# Favourite assignments of deleted channels stay.
query
SELECT Count(*) AS n FROM FAVOURITE
----
4
