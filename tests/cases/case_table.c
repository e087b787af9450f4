/* case_table.c -- reader of the shared grouping cases; see case_table.h. */
#include "case_table.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The 66 items of the fixed-width record: name, 1-based position, width.
   The Windows test program has no access to the library's internal item
   table, so the record layout is written out here; the Linux test checks
   this copy against the library's own table entry by entry. */
static const struct {
    const char *name;
    int position;
    int width;
} kc_items[] = {
    {"ASMT_SYS_CD", 1, 10},  {"TRANS_TYPE_CD", 11, 1}, {"R6", 657, 8},
    {"R12", 688, 8},         {"R21A", 720, 8},         {"R24A", 754, 8},
    {"R24B", 762, 8},        {"R24C", 770, 8},         {"R24D", 778, 8},
    {"R24E", 786, 8},        {"R24F", 794, 8},         {"R24G", 802, 8},
    {"R24H", 810, 8},        {"R24I", 818, 8},         {"R24J", 826, 8},
    {"R39AA", 882, 2},       {"R39BA", 888, 2},        {"R39CA", 894, 2},
    {"R39DA", 900, 2},       {"R39EA", 906, 2},        {"R39FA", 912, 2},
    {"R39GA", 918, 2},       {"R39HA", 924, 2},        {"R39IA", 930, 2},
    {"R39JA", 936, 2},       {"R39LA", 948, 2},        {"R39MA", 956, 2},
    {"R39NA", 962, 2},       {"R39OA", 970, 2},        {"R39PA", 978, 2},
    {"R39QA", 984, 2},       {"R39RA", 990, 2},        {"R40", 996, 8},
    {"R24K", 1132, 8},       {"R24L", 1140, 8},        {"R24M", 1148, 8},
    {"R24N", 1156, 8},       {"R24O", 1164, 8},        {"R24P", 1172, 8},
    {"R24Q", 1180, 8},       {"R24R", 1188, 8},        {"R24S", 1196, 8},
    {"R24T", 1204, 8},       {"R24U", 1212, 8},        {"R24V", 1220, 8},
    {"R24W", 1228, 8},       {"R24X", 1236, 8},        {"R24Y", 1244, 8},
    {"GG0130A1", 1462, 2},   {"GG0130B1", 1468, 2},    {"GG0130C1", 1474, 2},
    {"GG0130E1", 1480, 2},   {"GG0130F1", 1486, 2},    {"GG0130G1", 1492, 2},
    {"GG0130H1", 1498, 2},   {"GG0170B1", 1510, 2},    {"GG0170C1", 1516, 2},
    {"GG0170D1", 1522, 2},   {"GG0170E1", 1528, 2},    {"GG0170F1", 1534, 2},
    {"GG0170I1", 1548, 2},   {"GG0170J1", 1554, 2},    {"GG0170K1", 1560, 2},
    {"GG0170M1", 1572, 2},   {"H0350", 1614, 1},       {"H0400", 1615, 1},
};
#define KC_N_ITEMS ((int)(sizeof kc_items / sizeof kc_items[0]))

int kc_item_count(void) { return KC_N_ITEMS; }

const char *kc_item_name(int index, int *position, int *width) {
    if (index < 0 || index >= KC_N_ITEMS) return NULL;
    if (position) *position = kc_items[index].position;
    if (width) *width = kc_items[index].width;
    return kc_items[index].name;
}

int kc_item_position(const char *name) {
    int i;
    for (i = 0; i < KC_N_ITEMS; i++)
        if (strcmp(kc_items[i].name, name) == 0) return kc_items[i].position;
    return 0;
}

/* ---- reading the table ---- */

typedef struct {
    const char *path;
    int line;
    char *err;
    int err_size;
} kc_reader;

static int fail(kc_reader *r, const char *fmt, ...) {
    va_list ap;
    int n = snprintf(r->err, (size_t)r->err_size, "%s:%d: ", r->path, r->line);
    va_start(ap, fmt);
    if (n >= 0 && n < r->err_size) vsnprintf(r->err + n, (size_t)(r->err_size - n), fmt, ap);
    va_end(ap);
    return -1;
}

/* Splits "KEY=VALUE" at *p; VALUE is "quoted" (anything but a quote) or runs
   to the next blank.  Advances *p past it. */
static int next_pair(kc_reader *r, char **p, char *key, int key_size, char *value, int value_size) {
    char *s = *p, *eq, *end;
    int klen, vlen;
    while (*s == ' ' || *s == '\t') s++;
    if (*s == '\0') return 0;
    eq = strchr(s, '=');
    if (!eq) return fail(r, "expected KEY=VALUE at \"%s\"", s);
    klen = (int)(eq - s);
    if (klen <= 0 || klen >= key_size) return fail(r, "bad key at \"%s\"", s);
    memcpy(key, s, (size_t)klen);
    key[klen] = '\0';
    s = eq + 1;
    if (*s == '"') {
        end = strchr(s + 1, '"');
        if (!end) return fail(r, "unterminated quote after %s=", key);
        vlen = (int)(end - s - 1);
        s++;
        *p = end + 1;
    } else {
        end = s;
        while (*end && *end != ' ' && *end != '\t') end++;
        vlen = (int)(end - s);
        *p = end;
    }
    if (vlen >= value_size) return fail(r, "value of %s too long", key);
    memcpy(value, s, (size_t)vlen);
    value[vlen] = '\0';
    return 1;
}

static int set_item(kc_reader *r, kc_case *c, const char *name, const char *value) {
    int i;
    if (strlen(name) >= sizeof c->items[0].name) return fail(r, "item name %s too long", name);
    if (strlen(value) >= KC_VALUE_SIZE) return fail(r, "value of %s too long", name);
    for (i = 0; i < c->n_items; i++)
        if (strcmp(c->items[i].name, name) == 0) break;  /* a case's value replaces its base's */
    if (i == c->n_items) {
        if (c->n_items == KC_MAX_ITEMS) return fail(r, "too many items");
        c->n_items++;
        strcpy(c->items[i].name, name);
    }
    strcpy(c->items[i].value, value);
    return 0;
}

/* An item line: NAME=VALUE, NAME="VALUE", or xml=TEXT / path=TEXT (the rest
   of the line, as written). */
static int item_line(kc_reader *r, kc_case *c, char *s) {
    char *eq, *v, *end;
    while (*s == ' ' || *s == '\t') s++;
    eq = strchr(s, '=');
    if (!eq) return fail(r, "expected NAME=VALUE");
    *eq = '\0';
    v = eq + 1;
    if (strcmp(s, "xml") == 0) {
        size_t have = strlen(c->xml);
        if (have + strlen(v) + 2 > sizeof c->xml) return fail(r, "xml text too long");
        if (have) strcat(c->xml, "\n");
        strcat(c->xml, v);
        c->has_xml = 1;
        return 0;
    }
    if (strcmp(s, "path") == 0) {
        if (strlen(v) >= sizeof c->path) return fail(r, "path too long");
        strcpy(c->path, v);
        return 0;
    }
    if (*v == '"') {
        end = strrchr(v + 1, '"');
        if (!end) return fail(r, "unterminated quote");
        *end = '\0';
        v++;
    } else {
        end = v + strlen(v);
        while (end > v && (end[-1] == ' ' || end[-1] == '\t')) *--end = '\0';
    }
    if (c->call == KC_RECORD && kc_item_position(s) == 0)
        return fail(r, "no item %s in the record layout", s);
    return set_item(r, c, s, v);
}

static int text_field(kc_reader *r, const char *key, const char *value, char *field, size_t size) {
    if (strlen(value) >= size) return fail(r, "%s longer than its %d-byte buffer", key, (int)size);
    strcpy(field, value);
    return 0;
}

static int expect_line(kc_reader *r, kc_outputs *o, char *s) {
    char key[32], value[64];
    int got, seen = 0;
    while ((got = next_pair(r, &s, key, sizeof key, value, sizeof value)) == 1) {
        int rc = 0;
        if (strcmp(key, "result") == 0) o->result = atoi(value), seen |= 1;
        else if (strcmp(key, "returnCode") == 0) o->returnCode = atoi(value), seen |= 2;
        else if (strcmp(key, "cogScore") == 0) o->cogScore = atoi(value), seen |= 4;
        else if (strcmp(key, "age") == 0) o->age = atoi(value), seen |= 8;
        else if (strcmp(key, "cmgCode") == 0) rc = text_field(r, key, value, o->cmgCode, sizeof o->cmgCode), seen |= 16;
        else if (strcmp(key, "motorScore") == 0) rc = text_field(r, key, value, o->motorScore, sizeof o->motorScore), seen |= 32;
        else if (strcmp(key, "ruleVersion") == 0) rc = text_field(r, key, value, o->ruleVersion, sizeof o->ruleVersion), seen |= 64;
        else if (strcmp(key, "grouperRelease") == 0) rc = text_field(r, key, value, o->grouperRelease, sizeof o->grouperRelease), seen |= 128;
        else return fail(r, "unknown output %s", key);
        if (rc) return rc;
    }
    if (got < 0) return got;
    if (seen != 255) return fail(r, "an expect line names all eight outputs");
    return 0;
}

int kc_load(const char *path, kc_table *table, char *err, int err_size) {
    kc_reader r = {path, 0, err, err_size};
    kc_case *bases = NULL, *cur = NULL;
    int n_bases = 0, cap = 0, in_base = 0, rc = 0;
    char line[KC_TEXT_SIZE + 64];
    FILE *f = fopen(path, "rb");
    table->n_cases = 0;
    table->cases = NULL;
    if (!f) return fail(&r, "cannot open");
    while (rc == 0 && fgets(line, sizeof line, f)) {
        char *s = line, word[32], arg[64];
        size_t len = strlen(line);
        r.line++;
        while (len && (line[len - 1] == '\n' || line[len - 1] == '\r')) line[--len] = '\0';
        while (*s == ' ' || *s == '\t') s++;
        if (*s == '\0' || *s == '#') continue;
        if (s != line) {  /* indented: an item of the open base or case */
            rc = cur ? item_line(&r, cur, s) : fail(&r, "item outside a base or case");
            continue;
        }
        word[0] = arg[0] = '\0';
        sscanf(line, "%31s %63s", word, arg);
        if (strcmp(word, "base") == 0 || strcmp(word, "case") == 0) {
            if (cur) { rc = fail(&r, "previous base or case not closed"); break; }
            in_base = word[0] == 'b';
            if (in_base) {
                bases = (kc_case *)realloc(bases, sizeof *bases * (size_t)(n_bases + 1));
                cur = &bases[n_bases++];
            } else {
                if (table->n_cases == cap) {
                    cap = cap ? cap * 2 : 64;
                    table->cases = (kc_case *)realloc(table->cases, sizeof *cur * (size_t)cap);
                }
                cur = &table->cases[table->n_cases++];
            }
            memset(cur, 0, sizeof *cur);
            cur->line = r.line;
            if (!arg[0] || strchr(arg, '=')) { rc = fail(&r, "%s needs a name", word); break; }
            strcpy(cur->name, arg);
            s = line + strlen(word);
            s = strstr(s, arg) + strlen(arg);
            for (;;) {
                char key[32], value[64];
                int got = next_pair(&r, &s, key, sizeof key, value, sizeof value);
                if (got <= 0) { rc = got; break; }
                if (strcmp(key, "from") == 0) {
                    int b;
                    for (b = 0; b < n_bases - (in_base ? 1 : 0); b++)
                        if (strcmp(bases[b].name, value) == 0) break;
                    if (b == n_bases - (in_base ? 1 : 0)) { rc = fail(&r, "no base %s above", value); break; }
                    cur->n_items = bases[b].n_items;
                    memcpy(cur->items, bases[b].items, sizeof cur->items);
                } else if (strcmp(key, "call") == 0) {
                    if (strcmp(value, "record") == 0) cur->call = KC_RECORD;
                    else if (strcmp(value, "xml") == 0) cur->call = KC_XML_TEXT;
                    else if (strcmp(value, "xmlfile") == 0) cur->call = KC_XML_FILE;
                    else { rc = fail(&r, "call is record, xml or xmlfile"); break; }
                } else {
                    rc = fail(&r, "unknown setting %s", key);
                    break;
                }
            }
        } else if (strcmp(word, "end") == 0) {
            if (!cur || !in_base) rc = fail(&r, "end closes a base only");
            cur = NULL;
        } else if (strcmp(word, "expect") == 0) {
            if (!cur || in_base) { rc = fail(&r, "expect closes a case only"); break; }
            rc = expect_line(&r, &cur->expect, line + strlen(word));
            cur = NULL;
        } else {
            rc = fail(&r, "unknown keyword %s", word);
        }
    }
    if (rc == 0 && cur) { r.line++; rc = fail(&r, "last base or case not closed"); }
    if (rc == 0 && table->n_cases == 0) rc = fail(&r, "no cases");
    fclose(f);
    free(bases);
    if (rc) kc_free(table);
    return rc;
}

void kc_free(kc_table *table) {
    free(table->cases);
    table->cases = NULL;
    table->n_cases = 0;
}

/* ---- building inputs ---- */

int kc_build_record(const kc_case *c, char record[KC_RECORD_LEN]) {
    int i;
    memset(record, ' ', KC_RECORD_LEN - 2);
    record[KC_RECORD_LEN - 2] = '%';
    record[KC_RECORD_LEN - 1] = '\0';
    for (i = 0; i < c->n_items; i++) {
        int pos = kc_item_position(c->items[i].name);
        size_t len = strlen(c->items[i].value);
        if (pos == 0) return -1;
        memcpy(record + pos - 1, c->items[i].value, len);
    }
    return 0;
}

static void append(char *out, int out_size, int *used, const char *s) {
    while (*s && *used < out_size - 1) out[(*used)++] = *s++;
    out[*used] = '\0';
}

void kc_build_xml(const kc_case *c, char *out, int out_size) {
    int used = 0, i;
    const char *v;
    out[0] = '\0';
    if (c->has_xml) {
        append(out, out_size, &used, c->xml);
        return;
    }
    append(out, out_size, &used, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ASSESSMENT>\n");
    for (i = 0; i < c->n_items; i++) {
        append(out, out_size, &used, "  <");
        append(out, out_size, &used, c->items[i].name);
        append(out, out_size, &used, ">");
        for (v = c->items[i].value; *v; v++) {
            char one[2] = {*v, '\0'};
            append(out, out_size, &used, *v == '&' ? "&amp;" : *v == '<' ? "&lt;" : *v == '>' ? "&gt;" : one);
        }
        append(out, out_size, &used, "</");
        append(out, out_size, &used, c->items[i].name);
        append(out, out_size, &used, ">\n");
    }
    append(out, out_size, &used, "</ASSESSMENT>\n");
}

/* ---- outputs ---- */

void kc_preset(kc_outputs *o) {
    memset(o, 0, sizeof *o); /* padding too: repeats are compared with memcmp */
    o->result = o->returnCode = o->cogScore = o->age = -1;
    memset(o->cmgCode, '#', sizeof o->cmgCode - 1);
    o->cmgCode[sizeof o->cmgCode - 1] = '\0';
    memset(o->motorScore, '#', sizeof o->motorScore - 1);
    o->motorScore[sizeof o->motorScore - 1] = '\0';
    memset(o->ruleVersion, '#', sizeof o->ruleVersion - 1);
    o->ruleVersion[sizeof o->ruleVersion - 1] = '\0';
    memset(o->grouperRelease, '#', sizeof o->grouperRelease - 1);
    o->grouperRelease[sizeof o->grouperRelease - 1] = '\0';
}

void kc_format(const kc_outputs *o, char *out, int out_size) {
    /* Precision bounds each text by its buffer, so a missing NUL shows as a
       full buffer instead of a read past it. */
    snprintf(out, (size_t)out_size,
             "result=%d returnCode=%d cmgCode=\"%.*s\" motorScore=\"%.*s\" cogScore=%d age=%d "
             "ruleVersion=\"%.*s\" grouperRelease=\"%.*s\"",
             o->result, o->returnCode, (int)sizeof o->cmgCode, o->cmgCode,
             (int)sizeof o->motorScore, o->motorScore, o->cogScore, o->age,
             (int)sizeof o->ruleVersion, o->ruleVersion, (int)sizeof o->grouperRelease,
             o->grouperRelease);
}
