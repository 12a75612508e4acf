/*
  The database of the device manager, "kv7200.FDB".
  The build runs this script (tools/mkdb) to make the file that is delivered beside
  the program; the program itself never creates it. Text is Windows-1252.
*/
SET SQL DIALECT 3;

CREATE DATABASE 'kv7200.FDB' USER 'SYSDBA' PAGE_SIZE 8192 DEFAULT CHARACTER SET WIN1252;

/* ---------------------------------------------------------------- units */

CREATE GENERATOR GEN_DEVICES_ID;

CREATE TABLE DEVICES (
    ID          INTEGER NOT NULL,
    IP1         SMALLINT,
    IP2         SMALLINT,
    IP3         SMALLINT,
    IP4         SMALLINT,
    PORT        SMALLINT,
    SERIAL      VARCHAR(50),
    DEVICETYPE  SMALLINT,
    USERID      VARCHAR(50),
    PASS        VARCHAR(4),
    USBSERIAL   VARCHAR(50),
    COMPORT     VARCHAR(10),
    ALIAS       VARCHAR(50),
    CONFIG      BLOB SUB_TYPE 0 SEGMENT SIZE 100,
    POS         SMALLINT,
    MAPX        INTEGER,
    MAPY        INTEGER,
    MAPLOCK     SMALLINT,
    CONSTRAINT PK_DEVICES PRIMARY KEY (ID)
);

/* ---------------------------------------------------------------- settings */

CREATE TABLE CONFIG (
    ID          INTEGER NOT NULL,
    DBVERSION   SMALLINT,
    COMMON      BLOB SUB_TYPE 0 SEGMENT SIZE 32,
    MAP         BLOB SUB_TYPE 0,
    CONSTRAINT PK_CONFIG PRIMARY KEY (ID)
);

/* ---------------------------------------------------------------- event log

   One row per event. DT is a date-time as days since 30 December 1899 (local time),
   DEVICEID the unit's ID or 0 for a system event (so no foreign key), DATACODE the
   event code, DATA the payload bytes. */

CREATE GENERATOR GEN_EVENT_LOG_ID;

CREATE TABLE EVENT_LOG (
    ID          INTEGER NOT NULL,
    DT          DOUBLE PRECISION NOT NULL,
    DEVICEID    INTEGER NOT NULL,
    DATACODE    INTEGER NOT NULL,
    DATA        BLOB SUB_TYPE 0,
    CONSTRAINT PK_EVENT_LOG PRIMARY KEY (ID)
);

/* Outdated records are counted and deleted by age; the log view filters by unit. */
CREATE INDEX IDX_EVENT_LOG_DT ON EVENT_LOG (DT);
CREATE INDEX IDX_EVENT_LOG_DEVICEID ON EVENT_LOG (DEVICEID);

/* ---------------------------------------------------------------- procedures */

SET TERM ^ ;

/* Schema version the program expects. */
CREATE PROCEDURE GET_DB_VERSION
RETURNS (DBVER INTEGER)
AS
BEGIN
  DBVER = 1;
END^

CREATE PROCEDURE ADD_TO_LOG (
    DT        DOUBLE PRECISION,
    DEVICEID  INTEGER,
    DATA      BLOB SUB_TYPE 0,
    DATACODE  INTEGER)
AS
BEGIN
  INSERT INTO EVENT_LOG (ID, DT, DEVICEID, DATACODE, DATA)
  VALUES (GEN_ID(GEN_EVENT_LOG_ID, 1), :DT, COALESCE(:DEVICEID, 0), :DATACODE, :DATA);
END^

CREATE PROCEDURE GET_ALIAS (DID INTEGER)
RETURNS (ALIAS VARCHAR(50))
AS
BEGIN
  ALIAS = NULL;
  SELECT ALIAS FROM DEVICES WHERE ID = :DID INTO :ALIAS;
END^

/* Every log record with its unit's alias (none for system events and for units
   removed since), in storage order so that the first rows come without a sort. */
CREATE PROCEDURE GET_LOG
RETURNS (
    DATA      BLOB SUB_TYPE 0,
    DATACODE  INTEGER,
    ALIAS     VARCHAR(50),
    DT        DOUBLE PRECISION,
    ID        INTEGER,
    DEVICEID  INTEGER)
AS
BEGIN
  FOR SELECT L.DATA, L.DATACODE, D.ALIAS, L.DT, L.ID, L.DEVICEID
      FROM EVENT_LOG L
      LEFT JOIN DEVICES D ON D.ID = L.DEVICEID AND L.DEVICEID <> 0
      INTO :DATA, :DATACODE, :ALIAS, :DT, :ID, :DEVICEID
  DO
    SUSPEND;
END^

/* Now as days since 30 December 1899, the clock the program writes DT with. */
CREATE PROCEDURE GET_OUTDATED_LOG (EXPIRE INTEGER)
RETURNS (MAXDATE DOUBLE PRECISION, CNT INTEGER)
AS
BEGIN
  MAXDATE = DATEDIFF(MILLISECOND FROM TIMESTAMP '1899-12-30 00:00:00' TO LOCALTIMESTAMP) / 86400000.0e0;
  SELECT COUNT(*) FROM EVENT_LOG WHERE DT <= :MAXDATE - :EXPIRE INTO :CNT;
END^

/* Removes the records that GET_OUTDATED_LOG with the same EXPIRE counts. */
CREATE PROCEDURE CLEAR_OUTDATED_LOG (EXPIRE INTEGER)
AS
DECLARE VARIABLE LIMIT_DT DOUBLE PRECISION;
BEGIN
  LIMIT_DT = DATEDIFF(MILLISECOND FROM TIMESTAMP '1899-12-30 00:00:00' TO LOCALTIMESTAMP) / 86400000.0e0 - :EXPIRE;
  DELETE FROM EVENT_LOG WHERE DT <= :LIMIT_DT;
END^

CREATE PROCEDURE EMPTY_LOG
AS
BEGIN
  DELETE FROM EVENT_LOG;
END^

SET TERM ; ^

/* ---------------------------------------------------------------- the settings row */

INSERT INTO CONFIG (ID, DBVERSION, COMMON, MAP) VALUES (1, 1, NULL, NULL);
COMMIT;
