// Field readers of the service replies, on top of the reply-document
// helpers: a field is present when CheckFieldAndFirstValue holds, and a
// field that is not present reads as the empty text.
#ifndef QM_SERVICES_REPLY_FIELDS_H_
#define QM_SERVICES_REPLY_FIELDS_H_

#include <string>

#include <tinyxml.h>

namespace QM {

// The field's text as atoi reads it: leading blanks, an optional sign, then
// decimal digits up to the first other character; empty or non-numeric text
// gives 0. Bounded: the number is read as strtol reads it (saturating at
// the range of long) and its low 32 bits are kept, which is what atoi gives
// on this platform without its undefined overflow.
int ReadIntField(const TiXmlNode* node, const std::string& name);

// ReadIntField's 32 bits as an unsigned number (-1 reads as 4294967295), for
// the unsigned fields that the server writes through atoi.
unsigned int ReadIntFieldAsUnsigned(const TiXmlNode* node,
                                    const std::string& name);

// True only when the field's text is exactly "true" (case-sensitive).
bool ReadFlagField(const TiXmlNode* node, const std::string& name);

}  // namespace QM

#endif  // QM_SERVICES_REPLY_FIELDS_H_
