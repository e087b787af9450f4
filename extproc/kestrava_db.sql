-- kestrava_db.sql -- EXAMPLE binding of libkestrava_db.so for an Oracle
-- database.  Adapt names, the library path and the table to your site; this
-- script has not been run against a live database by the project.
--
-- Prerequisites (see the README, "Database library"):
--   * libkestrava_db.so copied to the database host, e.g. /opt/kestrava/lib/;
--   * the external-procedure agent allowed to load it, e.g. in its
--     extproc.ora:  SET EXTPROC_DLLS=ONLY:/opt/kestrava/lib/libkestrava_db.so
--   * the schema holds the CREATE LIBRARY privilege.

-- 1. The library object.
CREATE OR REPLACE LIBRARY kestrava_db_lib AS '/opt/kestrava/lib/libkestrava_db.so';
/

-- 2. The call specification of callcmg401.  The external-procedure context
--    comes first (WITH CONTEXT / CONTEXT), then the eight grouping arguments
--    in their order.  Text outputs arrive as char buffers the size of the
--    caller's variable; callcmg401 writes at most 6 bytes into cmg_code,
--    7 into motor_score and 5 into rule_version and grouper_release (NUL
--    included), so declare the variables you pass with room to spare, as
--    kestrava_group_assessment below does.  Integer OUT arguments arrive as
--    int pointers.
--
--    Result: 0 grouped; 1, 2, 3, 5, 6, 7 or 9 the check the assessment
--    failed (not an error: return_code says the same).  When the agent's
--    set-up fails the call raises ORA-20000 with the reason instead.
CREATE OR REPLACE FUNCTION kestrava_cmg_401 (
    irf_record      IN  VARCHAR2,
    cmg_code        OUT VARCHAR2,
    return_code     OUT PLS_INTEGER,
    motor_score     OUT VARCHAR2,
    cog_score       OUT PLS_INTEGER,
    age             OUT PLS_INTEGER,
    rule_version    OUT VARCHAR2,
    grouper_release OUT VARCHAR2)
  RETURN PLS_INTEGER
AS LANGUAGE C
  LIBRARY kestrava_db_lib
  NAME "callcmg401"
  WITH CONTEXT
  PARAMETERS (
    CONTEXT,
    irf_record      STRING,
    cmg_code        STRING,
    return_code     INT,
    motor_score     STRING,
    cog_score       INT,
    age             INT,
    rule_version    STRING,
    grouper_release STRING,
    RETURN          INT);
/

-- 3. An example table of stored assessments: the fixed-width IRF-PAI record
--    and the grouping results written back by kestrava_group_assessment.
CREATE TABLE kestrava_assessment (
    assessment_id   NUMBER         PRIMARY KEY,
    irf_record      VARCHAR2(2785) NOT NULL,
    result_code     NUMBER,
    cmg_code        VARCHAR2(5),
    motor_score     VARCHAR2(6),
    cog_score       NUMBER,
    age             NUMBER,
    rule_version    VARCHAR2(4),
    grouper_release VARCHAR2(4));

-- 4. Groups one stored assessment, writes the results into its row and
--    returns the grouping result.
CREATE OR REPLACE FUNCTION kestrava_group_assessment (p_assessment_id IN NUMBER)
  RETURN PLS_INTEGER
AS
  v_record          VARCHAR2(2785);
  -- Larger than the outputs need (6, 7, 5 and 5 bytes with their NUL).
  v_cmg_code        VARCHAR2(32);
  v_motor_score     VARCHAR2(32);
  v_rule_version    VARCHAR2(32);
  v_grouper_release VARCHAR2(32);
  v_return_code     PLS_INTEGER;
  v_cog_score       PLS_INTEGER;
  v_age             PLS_INTEGER;
  v_result          PLS_INTEGER;
BEGIN
  SELECT irf_record INTO v_record
    FROM kestrava_assessment
   WHERE assessment_id = p_assessment_id;

  -- Grouping reads the first 1615 characters without checking the length,
  -- so always pass a full-length record: items in positions 1 to 2784
  -- (blank-padded, longer values cut), the end marker "%" at 2785.
  v_record := RPAD(NVL(v_record, ' '), 2784) || '%';

  v_result := kestrava_cmg_401(v_record, v_cmg_code, v_return_code, v_motor_score,
                               v_cog_score, v_age, v_rule_version, v_grouper_release);

  UPDATE kestrava_assessment
     SET result_code     = v_result,
         cmg_code        = v_cmg_code,
         motor_score     = v_motor_score,
         cog_score       = v_cog_score,
         age             = v_age,
         rule_version    = v_rule_version,
         grouper_release = v_grouper_release
   WHERE assessment_id = p_assessment_id;
  RETURN v_result;
END kestrava_group_assessment;
/

-- Example use:
--   DECLARE
--     rc PLS_INTEGER;
--   BEGIN
--     rc := kestrava_group_assessment(1);
--     DBMS_OUTPUT.PUT_LINE('result ' || rc);
--   END;
--   /
