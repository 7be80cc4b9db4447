#pragma once
// The line mode's receive buffer: bytes as they arrive, optionally edited
// (backspace, tab) and echoed, cut into lines that end with LineEnd, and
// read back in pieces of any size. No socket in here: the socket layer reads
// into it and fires its events from what it says.

#include <string>
#include <vector>

class TLineBuffer {
public:
  std::string LineEnd = "\r\n";
  bool LineEdit = false;
  bool LineEcho = false;

  // Takes newly read bytes. Returns what goes back to the peer, one entry
  // per send: the bytes unchanged with echo alone; with editing one entry
  // per byte (and 8, 32, 8 for a backspace that removed something).
  std::vector<std::string> Add(const char* data, int length);

  // Looks for the next complete line from where the last search left off
  // (a line end split across two reads is found). Returns the line's length
  // with its LineEnd, or 0. The line stays at the front until read.
  int FindLine();
  // Reads up to Size bytes of the current line of Remaining bytes at the
  // front, removes them and returns the count.
  int ReadLine(char* buffer, int size, int& remaining);
  // Removes Count bytes from the front (a dropped or finished line); the
  // next search starts at the front.
  void RemoveFront(int count);
  // Line mode off: the buffered bytes are read from the front.
  int ReadFront(char* buffer, int size);

  int Held() const { return static_cast<int>(FData.size()); }
  const std::string& Data() const { return FData; }
  void Clear();

private:
  std::string FData;
  size_t FSearchStart = 0;
};
