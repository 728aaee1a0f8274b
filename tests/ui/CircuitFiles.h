#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <string>
#include <vector>

// Circuit pictures of every kind a user may pick, good and bad, written by the tests themselves.
struct TCircuitFile {
  std::string Name; // what the case is, for the failure messages
  QString File;
  // For a picture that must load: what it shows. Null for a file that must be refused.
  QImage Expected;
  std::string Refusal; // for a refused file: part of the message that says why
};

// Writes every case into the folder: an empty file, a truncated bitmap, a text file named .BMP,
// a folder, and the pictures that must load whatever their size or pixel format (1 by 1, all
// black, all white, 4000 by 3000, 8-bit palette, 32-bit).
std::vector<TCircuitFile> WriteCircuitFiles(const QDir& Folder);

// A good bitmap that nobody but its owner may read (mode 000).
QString WriteUnreadableCircuit(const QDir& Folder);
