// XML front ends: build a record from an XML assessment and group it.
#ifndef KESTRAVA_XML_FRONTEND_H
#define KESTRAVA_XML_FRONTEND_H

class TiXmlElement;

namespace kestrava {

// Arguments and results as CMG_401_XML and CMG_401_XML_FILE (kestrava.h).
int group_xml_text(const char* xmlText, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease);
int group_xml_file(const char* xmlPath, char* cmgCode, int* returnCode, char* motorScore,
                   int* cogScore, int* age, char* ruleVersion, char* grouperRelease);

// Build the record of an XML assessment (text or file) into irfRecord
// (kRecordLength bytes) without grouping it: 0, or 99 after the front end's
// diagnostic line.  The front ends above are these followed by group_record;
// the tool's explain mode groups the record with a trace.
int record_from_xml_text(const char* xmlText, char* irfRecord);
int record_from_xml_file(const char* xmlPath, char* irfRecord);

// Places the text of every child element of assessment whose name is an item
// name at that item's position in irfRecord (a record from blank_record), in
// document order, for the text's own length up to 199 characters.  Children
// without text leave their item as it is.
void place_items(const TiXmlElement& assessment, char* irfRecord);

}  // namespace kestrava

#endif
