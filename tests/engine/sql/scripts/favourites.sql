# The favourites view: FAVOURITE INNER JOIN CHANNELS, in FAVOURITE's stored order. The
# assignment whose channel is gone (S99W) is not shown; the channel on two frequencies shows
# its assignment twice.

query header
SELECT FAVOURITE.FAVNAME AS FAVORITE, FAVOURITE.NUM AS Nummer, CHANNELS.NAME, FAVOURITE.SOURCEID, FAVOURITE.SID, FAVOURITE.NID FROM FAVOURITE INNER JOIN CHANNELS ON (FAVOURITE.SID = CHANNELS.SID) AND (FAVOURITE.NID = CHANNELS.NID) AND (FAVOURITE.SOURCEID = CHANNELS.SOURCEID)
----
FAVORITE|Nummer|NAME|SOURCEID|SID|NID
Sport|1|Sport1|S19E|200|2
Sport|1|Sport1|S19E|200|2
News|1|ORF1|S19E|100|1
News|2|ORF2|S19E|101|1

# Finding an assignment again after an edit of its number: text compares without regard to
# letter case.
query
SELECT FAVNAME, SOURCEID, NID, SID, NUM FROM FAVOURITE WHERE FAVNAME = 'news' AND SOURCEID = 's19e' AND NID = 1 AND SID = 101
----
News|S19E|1|101|2

# The drag and drop window's group sizes: every group, sorted by name, the orphan assignment
# counted, a group without assignments counted 0.
query header
SELECT FAVNAME.FAVNAME, Count(FAVOURITE.FAVNAME) AS Anzahl FROM FAVNAME LEFT JOIN FAVOURITE ON FAVNAME.FAVNAME = FAVOURITE.FAVNAME GROUP BY FAVNAME.FAVNAME
----
FAVNAME|Anzahl
Kids|0
News|2
Sport|2

# Renaming a group carries its assignments along.
statement ok
UPDATE FAVOURITE SET FAVOURITE.FAVNAME = 'Nachrichten' WHERE (((FAVOURITE.FAVNAME)='News'))

query
SELECT FAVNAME, NUM FROM FAVOURITE
----
Sport|1
Nachrichten|1
Nachrichten|2
Sport|2

# Deleting a group deletes its assignments; a group without assignments deletes nothing.
statement ok
DELETE * From FAVOURITE WHERE (((FAVOURITE.FAVNAME)='Sport'))

statement ok
DELETE * From FAVOURITE WHERE (((FAVOURITE.FAVNAME)='Kids'))

query
SELECT FAVNAME, NUM FROM FAVOURITE
----
Nachrichten|1
Nachrichten|2
