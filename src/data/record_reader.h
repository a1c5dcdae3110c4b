#pragma once
// The layouts of the database records: each reader takes one record's fields, in the file's own order,
// from just after the record's number. The database's lookups read through them, and so does the content
// checker (with an observer that notes where each field stands), so both read a file the same way.

#include "data/character.h"
#include "data/map_record.h"
#include "data/records.h"
#include "data/token_reader.h"

namespace varnholt {

void readItemFields(FieldReader& in, ItemRecord& item);
void readSkillFields(FieldReader& in, SkillRecord& skill);
void readClassFields(FieldReader& in, ClassRecord& record);
void readRaceFields(FieldReader& in, RaceRecord& record);
// A character's record ends with one more word after its picture file, which is read past.
void readCharacterFields(FieldReader& in, Character& character);
// The layers take the cells inside 25 x 25; values beyond a larger declared size are read and dropped so
// the stream stays on the record's end, and a read that fails leaves the rest 0.
void readMapFields(FieldReader& in, MapRecord& map);

// The name a FieldObserver is told for every int of a skill list, its closing -1 included.
inline constexpr const char* kSkillListField = "skill list";

// The longest word the character record's last, unused field can hold.
inline constexpr std::size_t kCharacterLastWordSize = 27;

}  // namespace varnholt
