# The explorer finds a row again by the texts the grid shows: text columns quoted, others
# bare, empty cells left out; the first row the statement returns is the one changed.

query
SELECT FAVNAME ,FAVNUM FROM FAVNAME WHERE FAVNAME = 'Kids' AND FAVNUM = 3
----
Kids|3

# A row whose second cell is empty: the statement ends with the condition on the first column.
statement ok
INSERT INTO FAVNAME (FAVNAME) VALUES ('Music')

query
SELECT FAVNAME ,FAVNUM FROM FAVNAME WHERE FAVNAME = 'Music'
----
Music|NULL

# Two identical rows: both found, in stored order.
statement ok
INSERT INTO FAVNAME (FAVNAME, FAVNUM) VALUES ('Kids', 3)

query
SELECT FAVNAME ,FAVNUM FROM FAVNAME WHERE FAVNAME = 'Kids' AND FAVNUM = 3
----
Kids|3
Kids|3

# Every column of CHANNELS in the grid's order, as the table view builds the statement.
query
SELECT CHANNELNUM ,NAME ,SOURCEID ,PROVIDERID ,SID ,NID ,FREQUENCY ,VIDEOID ,ECM ,AUDIOID FROM CHANNELS WHERE CHANNELNUM = 6 AND NAME = '(empty)' AND SOURCEID = 'S13E' AND SID = 300 AND NID = 3 AND FREQUENCY = 11000 AND VIDEOID = 0 AND ECM = 0 AND AUDIOID = 0
----
6|(empty)|S13E||300|3|11000|0|0|0

# Letters in a number cell make a name, taken as a parameter; a decimal comma splits the
# number into two and is a syntax error.
query error 3061
SELECT FAVNAME ,FAVNUM FROM FAVNAME WHERE FAVNAME = 'Kids' AND FAVNUM = x3

query error 3075
SELECT CHANNELNUM ,NAME FROM CHANNELS WHERE CHANNELNUM = 1,5

# A table name with a blank cannot be written bare: its second word is taken as an alias.
query error 3078
SELECT a ,b FROM My Channels WHERE a = 1

# The duplicates view deletes one CHANNELS row by its identity.
statement ok
DELETE * FROM CHANNELS WHERE SOURCEID = 'S19E' AND SID = 200 AND NID = 2 AND FREQUENCY = 12480

query
SELECT CHANNELNUM, FREQUENCY FROM CHANNELS WHERE SID = 200
----
5|12722
