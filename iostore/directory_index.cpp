#include "iostore/directory_index.h"

namespace IoStore {

void FIoDirectoryIndexEntry::Serialize(SerializeContext* context) {
  Tessel::BaseSerializer& s = *context->serializer;
  s.Serialize(&Name, 4, true);
  s.Serialize(&FirstChildEntry, 4, true);
  s.Serialize(&NextSiblingEntry, 4, true);
  s.Serialize(&FirstFileEntry, 4, true);
}

void FIoFileIndexEntry::Serialize(SerializeContext* context) {
  Tessel::BaseSerializer& s = *context->serializer;
  s.Serialize(&Name, 4, true);
  s.Serialize(&NextFileEntry, 4, true);
  s.Serialize(&UserData, 4, true);
}

void FIoDirectoryIndexResource::Serialize(SerializeContext* context) {
  Tessel::MarkSection(context, "MountPoint");
  MountPoint.Serialize(context);
  Tessel::MarkSection(context, "DirectoryEntries");
  DirectoryEntries.Serialize(context);
  Tessel::MarkSection(context, "FileEntries");
  FileEntries.Serialize(context);
  Tessel::MarkSection(context, "StringTable");
  StringTable.Serialize(context);
}

}  // namespace IoStore
