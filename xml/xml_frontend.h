// XML front ends: build a record from an XML assessment and group it.
#ifndef KESTRAVA_XML_FRONTEND_H
#define KESTRAVA_XML_FRONTEND_H

namespace kestrava {

// Arguments and results as CMG_401_XML and CMG_401_XML_FILE (kestrava.h).
int group_xml_text(const char* xmlText, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease);
int group_xml_file(const char* xmlPath, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease);

}  // namespace kestrava

#endif
