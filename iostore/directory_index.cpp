#include "iostore/directory_index.h"

namespace IoStore {

// The fields go through an image of the record, in file order, one 32-bit
// element each, so that the whole record can move in one transfer.
void FIoDirectoryIndexEntry::Serialize(SerializeContext* context) {
  uint32_t image[4] = {Name, FirstChildEntry, NextSiblingEntry, FirstFileEntry};
  SerializeArray(context, image, 4, sizeof *image);
  Name = image[0];
  FirstChildEntry = image[1];
  NextSiblingEntry = image[2];
  FirstFileEntry = image[3];
}

void FIoFileIndexEntry::Serialize(SerializeContext* context) {
  uint32_t image[3] = {Name, NextFileEntry, UserData};
  SerializeArray(context, image, 3, sizeof *image);
  Name = image[0];
  NextFileEntry = image[1];
  UserData = image[2];
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

void FIoDirectoryIndexResource::Clear() {
  MountPoint = FString();
  DirectoryEntries.elements.clear();
  FileEntries.elements.clear();
  StringTable.clear();
}

}  // namespace IoStore
