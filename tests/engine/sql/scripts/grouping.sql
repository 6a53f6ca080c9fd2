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

# Keys equal but for letter case make one group; its first stored row stands for its column.
statement ok
INSERT INTO CHANNELS (CHANNELNUM, NAME, SOURCEID, PROVIDERID, SID, NID, FREQUENCY) VALUES (8, 'x', 'S13E', 'dsf', 400, 4, 10000)

query
SELECT PROVIDERID, Count(*) FROM CHANNELS GROUP BY PROVIDERID HAVING Count(*) > 1
----
DSF|3
ORF|3
