# Storing the channel list: one lookup per grid row in FAVOURITE and in CHANNELS, then the
# numbering check.

query
SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = 'S19E' AND FAVNAME = 'Sport' AND SID = 200 AND NID = 2
----
Sport|S19E|200|2|1

# A group named by the grid in another letter case still finds the stored row.
query
SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = 'S19E' AND FAVNAME = 'SPORT' AND SID = 200 AND NID = 2
----
Sport|S19E|200|2|1

# No assignment for the "ZZZZ" marker.
query
SELECT FAVNAME, SOURCEID, SID, NID, NUM FROM FAVOURITE WHERE SOURCEID = 'S19E' AND FAVNAME = 'ZZZZ' AND SID = 102 AND NID = 1
----

# The channel row by its four identity values; the second frequency is another row.
query
SELECT CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY FROM CHANNELS WHERE SOURCEID = 'S19E' AND SID = 200 AND NID = 2 AND FREQUENCY = 12722
----
5|Sport1|S19E|200|2|12722

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

# A channel number written as text by the grid converts to the Long column.
statement ok
UPDATE CHANNELS SET CHANNELNUM = '9' WHERE SOURCEID = 'S19E' AND SID = 100 AND NID = 1 AND FREQUENCY = 11953

statement error 3421
UPDATE CHANNELS SET CHANNELNUM = 'nine' WHERE SOURCEID = 'S19E' AND SID = 100 AND NID = 1 AND FREQUENCY = 11953

query
SELECT CHANNELNUM FROM CHANNELS ORDER BY CHANNELNUM DESC
----
9
7
6
5
4
3
2

# The identity of a row cannot be given twice.
statement error 3022
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, SID, NID, FREQUENCY) VALUES (8, 'Copy', 's19e', 200, 2, 12722)

statement error 3058
INSERT INTO CHANNELS (CHANNELNUM, NAME, SID, NID, FREQUENCY) VALUES (8, 'No source', 200, 2, 12722)

# A refused row of a many-row UPDATE leaves every row as it was.
statement error 3022
UPDATE CHANNELS SET SID = 300 WHERE SOURCEID = 'S13E'

query
SELECT SID FROM CHANNELS WHERE SOURCEID = 'S13E'
----
300
301
