# Grouped SELECTs over rows whose groups first appear in another order than their keys.

# Groups come out in the order of their keys, the zero-length text first; HAVING leaves out
# ORF, the group whose rows come first.
query
SELECT PROVIDERID, Count(*), Min(CHANNELNUM), Max(NAME) FROM CHANNELS GROUP BY PROVIDERID HAVING Count(*) < 3
----
|1|6|(empty)
DSF|2|4|Sport1
RX|1|7|Radio X

# A statement fails with the error of the first group in key order: the S13E group's HAVING
# finds no number in a zero-length text, though the S19E rows, stored first, divide by zero.
query error 3464
SELECT SOURCEID FROM CHANNELS GROUP BY SOURCEID HAVING Min(PROVIDERID) * 1 > 0 AND Sum(1 / (SID - 200)) > 0

# Without such a group the division by zero is reported.
query error 11
SELECT SOURCEID FROM CHANNELS WHERE SOURCEID = 'S19E' GROUP BY SOURCEID HAVING Min(PROVIDERID) * 1 > 0 AND Sum(1 / (SID - 200)) > 0

# A key of an expression's values: groups in the order of those values; Ö sorts as O, before R.
query
SELECT Count(*), Sum(CHANNELNUM), Avg(NID), Min(NAME) FROM CHANNELS GROUP BY 0 - NID
----
2|13|3|(empty)
2|9|2|Sport1
3|6|1|Ö1

# A key of the outer side of a join: the channels without a favourite make the Null group,
# which comes first.
query
SELECT FAVOURITE.FAVNAME, Count(*) FROM CHANNELS LEFT JOIN FAVOURITE ON (CHANNELS.SID = FAVOURITE.SID) AND (CHANNELS.NID = FAVOURITE.NID) AND (CHANNELS.SOURCEID = FAVOURITE.SOURCEID) GROUP BY FAVOURITE.FAVNAME
----
NULL|3
News|2
Sport|2

# Keys equal but for letter case make one group; its first stored row stands for its column.
statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, PROVIDERID, SID, NID, FREQUENCY) VALUES (8, 'x', 'S13E', 'dsf', 400, 4, 10000)

query
SELECT PROVIDERID, Count(*) FROM CHANNELS GROUP BY PROVIDERID HAVING Count(*) > 1
----
DSF|3
ORF|3
