/* case_runner.c -- runs the shared grouping cases through the library's
   three exported calls and prints one line per case on standard output.

   Built twice from this one source: for Linux against libKestrava.so, and by
   MinGW for Windows, where it loads Kestrava.dll with LoadLibrary, finds
   _CMG_401@32, _CMG_401_XML@32 and _CMG_401_XML_FILE@32 with GetProcAddress
   and calls them through standard-call pointers, checking after every call
   that the callee removed its 32 bytes of arguments (the stack pointer is
   back where it was) and kept the registers the convention preserves.
   The two outputs are compared byte for byte.

   usage: kestrava_case_runner CASES_FILE WORK_DIR REPEAT [DLL]
     WORK_DIR  where the XML file of an "xmlfile" case is written; it is
               passed to the library as WORK_DIR + separator + case name
     REPEAT    every case is called this many times in a row; each repeat
               must give the same outputs as the first
   The diagnostic line an XML call prints on a failed document goes to
   standard output too, so it is compared as well. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "case_table.h"

#ifdef _WIN32
#  include <fcntl.h>
#  include <io.h>
#  include <windows.h>
#  define SEP "\\"
#else
#  include "kestrava.h"
#  define SEP "/"
#endif

typedef int(
#ifdef _WIN32
    __stdcall
#endif
        *grouping_call)(char *, char *, int *, char *, int *, int *, char *, char *);

static long long calls;

#if defined(_WIN32) && defined(__i386__)
/* What checked_stdcall8 saw: ESP after the call minus ESP before the eight
   arguments were pushed (0 when the callee removed them), and the
   callee-saved registers after the call. */
typedef struct {
    int esp_delta;
    unsigned ebx, esi, edi;
} call_report;

int checked_stdcall8(grouping_call fn, void *const args[8], call_report *report);

/* cdecl (fn, args, report): pushes args[7]..args[0], loads marker values
   into EBX, ESI and EDI, calls fn, and records ESP and those registers
   after the call; then restores its own frame whatever the callee did. */
__asm__(
    ".text\n"
    ".globl _checked_stdcall8\n"
    "_checked_stdcall8:\n"
    "  pushl %ebp\n"
    "  movl  %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  subl  $4, %esp\n"
    "  movl  %esp, -16(%ebp)\n"    /* ESP before the arguments */
    "  movl  12(%ebp), %eax\n"
    "  pushl 28(%eax)\n"
    "  pushl 24(%eax)\n"
    "  pushl 20(%eax)\n"
    "  pushl 16(%eax)\n"
    "  pushl 12(%eax)\n"
    "  pushl 8(%eax)\n"
    "  pushl 4(%eax)\n"
    "  pushl 0(%eax)\n"
    "  movl  8(%ebp), %eax\n"
    "  movl  $0x0B0B0B0B, %ebx\n"
    "  movl  $0x05050505, %esi\n"
    "  movl  $0x0D0D0D0D, %edi\n"
    "  call  *%eax\n"               /* EAX: the function's result, kept */
    "  movl  16(%ebp), %ecx\n"
    "  movl  %esp, %edx\n"
    "  subl  -16(%ebp), %edx\n"
    "  movl  %edx, 0(%ecx)\n"
    "  movl  %ebx, 4(%ecx)\n"
    "  movl  %esi, 8(%ecx)\n"
    "  movl  %edi, 12(%ecx)\n"
    "  leal  -12(%ebp), %esp\n"
    "  popl  %edi\n"
    "  popl  %esi\n"
    "  popl  %ebx\n"
    "  popl  %ebp\n"
    "  ret\n");
#endif

/* One call with preset outputs.  On 32-bit Windows a "checked" call goes
   through checked_stdcall8; the others are plain C calls through the
   declared standard-call pointer, as a caller's program makes them. */
static int call(grouping_call fn, char *input, kc_outputs *o, int checked, const char *case_name) {
    kc_preset(o);
    calls++;
#if defined(_WIN32) && defined(__i386__)
    if (checked) {
        void *args[8] = {input,        o->cmgCode, &o->returnCode, o->motorScore,
                         &o->cogScore, &o->age,    o->ruleVersion, o->grouperRelease};
        call_report rep;
        o->result = checked_stdcall8(fn, args, &rep);
        if (rep.esp_delta != 0 || rep.ebx != 0x0B0B0B0Bu || rep.esi != 0x05050505u ||
            rep.edi != 0x0D0D0D0Du) {
            fprintf(stderr,
                    "case %s: calling convention broken: ESP moved by %d bytes, EBX %08x "
                    "ESI %08x EDI %08x after the call\n",
                    case_name, rep.esp_delta, rep.ebx, rep.esi, rep.edi);
            return -1;
        }
        return 0;
    }
#else
    (void)checked;
    (void)case_name;
#endif
    o->result = fn(input, o->cmgCode, &o->returnCode, o->motorScore, &o->cogScore, &o->age,
                   o->ruleVersion, o->grouperRelease);
    return 0;
}

static int write_file(const char *path, const char *text) {
    FILE *f = fopen(path, "wb");
    if (!f) return -1;
    fputs(text, f);
    return fclose(f);
}

int main(int argc, char **argv) {
    kc_table table;
    grouping_call entry[3];
    static char record[KC_RECORD_LEN], xml[KC_TEXT_SIZE + 8192], path[1024], err[512];
    int repeat, i, r;
    if (argc < 4 || (repeat = atoi(argv[3])) < 1) {
        fprintf(stderr, "usage: %s CASES_FILE WORK_DIR REPEAT [DLL]\n", argv[0]);
        return 2;
    }
#ifdef _WIN32
    /* Byte-for-byte comparison with Linux: no CR before each LF.  The DLL
       shares this process's C runtime, so its diagnostic lines too. */
    _setmode(_fileno(stdout), _O_BINARY);
    {
        static const char *const names[3] = {"_CMG_401@32", "_CMG_401_XML@32",
                                             "_CMG_401_XML_FILE@32"};
        const char *dll = argc > 4 ? argv[4] : "Kestrava.dll";
        HMODULE lib = LoadLibraryA(dll);
        if (!lib) {
            fprintf(stderr, "LoadLibrary(%s) failed: error %lu\n", dll, GetLastError());
            return 1;
        }
        for (i = 0; i < 3; i++) {
            FARPROC p = GetProcAddress(lib, names[i]);
            if (!p) {
                fprintf(stderr, "GetProcAddress(%s) failed: error %lu\n", names[i], GetLastError());
                return 1;
            }
            memcpy(&entry[i], &p, sizeof p);
        }
    }
#else
    entry[0] = CMG_401;
    entry[1] = CMG_401_XML;
    entry[2] = CMG_401_XML_FILE;
#endif
    if (kc_load(argv[1], &table, err, sizeof err) != 0) {
        fprintf(stderr, "%s\n", err);
        return 1;
    }
    for (i = 0; i < table.n_cases; i++) {
        const kc_case *c = &table.cases[i];
        char *input;
        kc_outputs first, again;
        char line[512];
        switch (c->call) {
        case KC_RECORD:
            if (kc_build_record(c, record) != 0) {
                fprintf(stderr, "case %s: unknown item\n", c->name);
                return 1;
            }
            input = record;
            break;
        case KC_XML_TEXT:
            kc_build_xml(c, xml, sizeof xml);
            input = xml;
            break;
        default:
            if (c->path[0]) {
                snprintf(path, sizeof path, "%s", c->path);
            } else {
                snprintf(path, sizeof path, "%s" SEP "%s.xml", argv[2], c->name);
                kc_build_xml(c, xml, sizeof xml);
                if (write_file(path, xml) != 0) {
                    fprintf(stderr, "case %s: cannot write %s\n", c->name, path);
                    return 1;
                }
                fprintf(stderr, "case %s: XML file %s\n", c->name, path);
            }
            input = path;
            break;
        }
        if (call(entry[c->call], input, &first, 1, c->name) != 0) return 1;
        /* Many calls in a row: all checked but the last, a plain C call. */
        for (r = 1; r < repeat; r++) {
            if (call(entry[c->call], input, &again, r != repeat - 1, c->name) != 0) return 1;
            if (memcmp(&first, &again, sizeof first) != 0) {
                char a[512], b[512];
                kc_format(&first, a, sizeof a);
                kc_format(&again, b, sizeof b);
                fprintf(stderr, "case %s: call %d gave %s, the first gave %s\n", c->name, r + 1, b, a);
                return 1;
            }
        }
        kc_format(&first, line, sizeof line);
        printf("%s %s\n", c->name, line);
    }
    fflush(stdout);
    fprintf(stderr, "%d cases, %lld calls%s, every repeat identical\n", table.n_cases, calls,
#if defined(_WIN32) && defined(__i386__)
            ", stack pointer and EBX/ESI/EDI unchanged across every checked stdcall call"
#else
            ""
#endif
    );
    kc_free(&table);
    return 0;
}
