# Numbers in statements and in text columns read and write a decimal point, whatever the
# language the process runs in (the suite runs every script under a German locale too).

# Literals with a fraction and an exponent keep it.
query
SELECT NAME FROM CHANNELS WHERE FREQUENCY > 11953.5 AND FREQUENCY < 12480.25
----
Sport1

query
SELECT 10.6 * 2, 2.5E1 + 0.25, .5 + 1 FROM FAVNAME WHERE FAVNUM = 1
----
21.2|25.25|1.5

# A number put into a text column is written with a point.
statement ok
UPDATE CHANNELS SET PROVIDERID = 10.6 / 4 WHERE SID = 100

query
SELECT PROVIDERID FROM CHANNELS WHERE SID = 100
----
2.65

# A text read as a number takes the point.
query
SELECT '2.5' * 2 FROM FAVNAME WHERE FAVNUM = 1
----
5
