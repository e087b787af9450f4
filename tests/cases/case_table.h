/* case_table.h -- the shared table of grouping cases (grouping_cases.txt),
   read by the Linux GoogleTest and by the Windows test program alike, so
   that both platforms run exactly the same cases.  Plain C so that the
   MinGW-built Windows program can use it. */
#ifndef KESTRAVA_CASE_TABLE_H
#define KESTRAVA_CASE_TABLE_H

#ifdef __cplusplus
extern "C" {
#endif

#define KC_MAX_ITEMS 80
#define KC_VALUE_SIZE 200
#define KC_TEXT_SIZE 2048
#define KC_RECORD_LEN 2786

enum kc_call { KC_RECORD, KC_XML_TEXT, KC_XML_FILE };

typedef struct {
    char name[16];
    char value[KC_VALUE_SIZE];
} kc_item;

/* The seven outputs and the function result of one grouping call.  Text
   outputs are kept as the NUL-terminated text the call left. */
typedef struct {
    int result;
    int returnCode;
    char cmgCode[6];
    char motorScore[7];
    int cogScore;
    int age;
    char ruleVersion[5];
    char grouperRelease[5];
} kc_outputs;

typedef struct {
    char name[64];
    int line;                /* line of the "case" keyword, for messages */
    enum kc_call call;
    int n_items;             /* base items first, then the case's own */
    kc_item items[KC_MAX_ITEMS];
    char xml[KC_TEXT_SIZE];  /* literal XML text ("xml=" line), else built from the items */
    int has_xml;
    char path[256];          /* XML file to pass as given ("path=" line), else written by the runner */
    kc_outputs expect;
} kc_case;

typedef struct {
    int n_cases;
    kc_case *cases;
} kc_table;

/* Reads the table.  Returns 0, or -1 after writing a message (file:line:
   what) into err. */
int kc_load(const char *path, kc_table *table, char *err, int err_size);
void kc_free(kc_table *table);

/* Builds the fixed-width record of a case's items: 2786 bytes, blanks, '%'
   at 2785, NUL at 2786, each value placed from its item's position for the
   value's own length.  Returns 0, or -1 for an unknown item name. */
int kc_build_record(const kc_case *c, char record[KC_RECORD_LEN]);

/* Builds the XML document of a case: its literal text, or an ASSESSMENT
   element with one child per item in the table's order. */
void kc_build_xml(const kc_case *c, char *out, int out_size);

/* Fills the outputs with the values a call that writes nothing leaves:
   result and integers -1, texts of '#' of full buffer length.  The runner
   presets them before every call, so untouched outputs are visible. */
void kc_preset(kc_outputs *o);

/* One line, the same format as an "expect" line of the table:
   result=0 returnCode=0 cmgCode="A0110" motorScore="52" cogScore=0 age=70
   ruleVersion="4.01" grouperRelease="4.01" */
void kc_format(const kc_outputs *o, char *out, int out_size);

/* 1-based record position of an item, or 0 for an unknown name. */
int kc_item_position(const char *name);
/* Number and names of the items the record layout knows, in record order. */
int kc_item_count(void);
const char *kc_item_name(int index, int *position, int *width);

#ifdef __cplusplus
}
#endif

#endif
