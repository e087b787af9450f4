#include "codes.h"

#include "kestrava.h"

namespace kestrava::cli {

const ResultCode kResultCodes[] = {
    {KESTRAVA_OK, "grouped"},
    {KESTRAVA_BAD_SYSTEM_CODE, "assessment system code, blanks removed, is not IRF-PAI"},
    {KESTRAVA_TRANSACTION_3, "transaction type code is 3"},
    {KESTRAVA_EARLY_DISCHARGE, "discharge date is before 20100701"},
    {KESTRAVA_PARTIAL_BIRTH_DATE, "birth date has a blank and its year equals the admission year"},
    {KESTRAVA_ADMIT_BEFORE_BIRTH, "admission date is before the (completed) birth date"},
    {KESTRAVA_AGE_OVER_140, "age is above 140"},
    {KESTRAVA_BAD_IMPAIRMENT, "impairment group is not in the impairment group table"},
    {KESTRAVA_XML_UNREADABLE, "XML document could not be parsed"},
};
const int kResultCodeCount = sizeof kResultCodes / sizeof kResultCodes[0];

const char* result_meaning(int code) {
    for (const ResultCode& c : kResultCodes)
        if (c.code == code) return c.meaning;
    return "unknown result code";
}

}  // namespace kestrava::cli
