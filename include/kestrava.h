/* kestrava.h -- public interface of the Kestrava case-mix grouper library.

   Kestrava assigns the Case-Mix Group (CMG) of an inpatient rehabilitation
   stay from one IRF-PAI patient assessment, under the IRF payment rules in
   force on the discharge date (rule versions "2.40" to "4.01").

   The library is reentrant: every call keeps its working state on its own
   stack and the reference tables are constant, so any number of threads may
   call any entry at the same time on distinct buffers.  This includes the
   comorbidity tier stage: its etiology flags live in the call (the lists'
   flag columns keep their built "0" and are never written) and it splits
   exclusion lists without any shared position.

   Buffers are owned by the caller.  The sizes below count the terminating
   NUL and are the minimum the caller must provide; the library never writes
   past them and never checks them.

   Linux: libKestrava.so exports exactly the calls declared here, with plain C
   names.  Windows: Kestrava.dll (32-bit) exports the three grouping calls as
   _CMG_401@32, _CMG_401_XML@32 and _CMG_401_XML_FILE@32 (standard call).
*/
#ifndef KESTRAVA_H
#define KESTRAVA_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(KESTRAVA_CALL)
#  define KESTRAVA_CALL __stdcall
#elif !defined(KESTRAVA_CALL)
#  define KESTRAVA_CALL
#endif

/* Length of a fixed-width assessment record as the XML front ends build it:
   positions 1..2784 carry items, 2785 holds '%', 2786 holds NUL.  Grouping
   reads positions 1..1615 only, so a record given to CMG_401 must have at
   least KESTRAVA_RECORD_MIN readable bytes. */
#define KESTRAVA_RECORD_LEN 2786
#define KESTRAVA_RECORD_MIN 1615

/* Output buffer sizes, NUL included. */
#define KESTRAVA_CMG_CODE_SIZE 6        /* tier letter + 4-digit CMG, "A0503" */
#define KESTRAVA_MOTOR_SCORE_SIZE 7     /* "36.6" (item-39), "52" (Section GG) */
#define KESTRAVA_RULE_VERSION_SIZE 5    /* "4.01", or four blanks */
#define KESTRAVA_GROUPER_RELEASE_SIZE 5 /* always "4.01" */

/* Result codes of the grouping calls. */
#define KESTRAVA_OK 0                 /* grouped */
#define KESTRAVA_BAD_SYSTEM_CODE 1    /* assessment system code is not "IRF-PAI" */
#define KESTRAVA_TRANSACTION_3 2      /* transaction type code is "3" */
#define KESTRAVA_EARLY_DISCHARGE 3    /* discharge date value below 20100701 */
#define KESTRAVA_PARTIAL_BIRTH_DATE 5 /* blank in birth date, birth year = admission year */
#define KESTRAVA_ADMIT_BEFORE_BIRTH 6 /* admission date value below birth date value */
#define KESTRAVA_AGE_OVER_140 7       /* age above 140 */
#define KESTRAVA_BAD_IMPAIRMENT 9     /* impairment group not in the table */
#define KESTRAVA_XML_UNREADABLE 99    /* XML calls only, function result only */

/* CMG_401 -- group one fixed-width IRF-PAI record.

   irfRecord       in   at least 1615 readable bytes; only read
   cmgCode         out  6 bytes: tier letter ("A".."D") and CMG number,
                        e.g. "A0503"; five blanks when not grouped
   returnCode      out  result code, the same value the function returns
   motorScore      out  7 bytes: item-39 scheme (discharge before 20191001)
                        the weighted score with one decimal ("36.6");
                        Section GG scheme the plain sum ("52"); " 0.0" when
                        not grouped
   cogScore        out  cognitive score (item-39 scheme), else 0
   age             out  age in whole years on the admission date (0 on codes
                        1, 2, 3, 5, 6)
   ruleVersion     out  5 bytes: rule version of the discharge date ("4.01"),
                        four blanks when the date is in no window
   grouperRelease  out  5 bytes: always "4.01"

   Returns 0 when grouped, else 1, 2, 3, 5, 6, 7 or 9 (KESTRAVA_* above).
   The outputs are written on every path: rule version and release always,
   age from code 7 on, scores and CMG only when grouped. */
int KESTRAVA_CALL CMG_401(char *irfRecord, char *cmgCode, int *returnCode,
                          char *motorScore, int *cogScore, int *age,
                          char *ruleVersion, char *grouperRelease);

/* CMG_401_XML -- group an assessment given as XML text.

   xmlText is a NUL-terminated document whose top-level ASSESSMENT element
   carries one child element per item, named as the record's items (R40,
   GG0130A1, ...); each item's text (white space condensed, at most 199
   characters) is placed at the item's position of a blank 2786-byte record,
   which is then grouped.  The seven result arguments are those of CMG_401.

   Returns 99 when the text is null, cannot be parsed, holds no top-level
   ASSESSMENT element, or exceeds a limit the front end enforces before
   parsing (larger than 1 MiB, elements nested more than 256 deep, more than
   1000 attributes on one element, a multi-byte character cut off by the end
   of the text).  One line "Error in <name>: <description>" is then printed
   on standard output and none of the result arguments is written.  Otherwise
   returns what CMG_401 returned for the record built from the items. */
int KESTRAVA_CALL CMG_401_XML(char *xmlText, char *cmgCode, int *returnCode,
                              char *motorScore, int *cogScore, int *age,
                              char *ruleVersion, char *grouperRelease);

/* CMG_401_XML_FILE -- group an assessment held in an XML file.

   xmlPath names the file.  Returns 99 when it cannot be loaded: null path,
   missing, not a regular readable file, or a document CMG_401_XML would
   refuse.  One line "Could not load xml file <path>. Error=<description>.
   Exiting." is then printed on standard output (the process does not exit)
   and none of the result arguments is written.  Otherwise as CMG_401_XML. */
int KESTRAVA_CALL CMG_401_XML_FILE(char *xmlPath, char *cmgCode, int *returnCode,
                                   char *motorScore, int *cogScore, int *age,
                                   char *ruleVersion, char *grouperRelease);

/* kestrava_tier_list_status -- completeness of a rule version's comorbidity
   single-code list as built into this library (Linux library only).

   ruleVersion     in   "2.40" .. "4.01" (NUL-terminated)
   rowsPresent     out  data rows bundled
   rowsExpected    out  data rows of the payer's published list

   Returns 1 when the list is complete, 0 when rows are missing (a stay whose
   only comorbidities are on missing rows groups with tier "A" where the
   payer's list gives "D"), -1 for an unknown rule version (outputs 0). */
int KESTRAVA_CALL kestrava_tier_list_status(const char *ruleVersion, int *rowsPresent,
                                            int *rowsExpected);

#ifdef __cplusplus
}
#endif

#endif /* KESTRAVA_H */
