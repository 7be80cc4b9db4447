#pragma once
// Feeds one reply to a reader, for the reader's tests and its fuzz target.

#include <string>
#include <vector>

#include "net/core/HttpReplyReader.h"

// Puts Reply into Reader in the pieces that Cuts mark (ascending offsets),
// hands each event to OnEvent as soon as the reader gives it, and closes
// the reader at the end when Close is set.
template <typename OnEvent>
void FeedReply(THttpReplyReader& reader, const std::string& reply, const std::vector<size_t>& cuts, bool close,
               OnEvent onEvent) {
  THttpReplyEvent event;
  const auto drain = [&] {
    while (reader.Next(event)) onEvent(event);
  };
  size_t from = 0;
  for (size_t cut : cuts) {
    reader.Put(reply.data() + from, cut - from);
    drain();
    from = cut;
  }
  reader.Put(reply.data() + from, reply.size() - from);
  drain();
  if (close) {
    reader.Close();
    drain();
  }
}
