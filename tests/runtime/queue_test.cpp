#include <gtest/gtest.h>

#include <string>

#include "runtime/queue.h"

namespace {

struct Rec {
  int32_t ID = 0;
  std::string title;
};

TEST(Queue, AddGetPutFollowTheCurrentEntry) {
  rt::Queue<Rec>* q = rt::NewQueue<Rec>();
  for (int i = 1; i <= 3; ++i) {
    rt::ClearQueueBuffer(*q);
    q->buffer.ID = i * 10;
    q->buffer.title = "t" + std::to_string(i);
    rt::AddQueue(*q);
    EXPECT_EQ(q->Pointer(), static_cast<std::size_t>(i));
  }
  EXPECT_EQ(rt::QueueRecords(*q), 3u);
  ASSERT_TRUE(rt::GetQueueByKey(*q, &Rec::ID, 20));
  EXPECT_EQ(q->buffer.title, "t2");
  q->buffer.title = "changed";
  ASSERT_TRUE(rt::PutQueue(*q));
  ASSERT_TRUE(rt::GetQueue(*q, 2));
  EXPECT_EQ(q->buffer.title, "changed");
  EXPECT_EQ(q->At(3).title, "t3");
  EXPECT_EQ(q->Pointer(), 2u) << "At() leaves the current entry alone";
  rt::FreeQueue(*q);
  EXPECT_EQ(rt::QueueRecords(*q), 0u);
  rt::DisposeQueue(q);
  EXPECT_EQ(q, nullptr);
}

TEST(Queue, MissingEntriesFailWithError30) {
  rt::Queue<Rec> q;
  struct Case {
    const char* what;
    bool (*op)(rt::Queue<Rec>&);
  } cases[] = {
      {"get by key", [](rt::Queue<Rec>& x) { return rt::GetQueueByKey(x, &Rec::ID, 5); }},
      {"get position 0", [](rt::Queue<Rec>& x) { return rt::GetQueue(x, 0); }},
      {"get past the end", [](rt::Queue<Rec>& x) { return rt::GetQueue(x, 2); }},
      {"put without current", [](rt::Queue<Rec>& x) { return rt::PutQueue(x); }},
  };
  for (const Case& c : cases) {
    rt::SetError(0);
    EXPECT_FALSE(c.op(q)) << c.what;
    EXPECT_EQ(rt::ErrorCode(), rt::kErrorEntryNotFound) << c.what;
    EXPECT_EQ(rt::ErrorText(), "Entry Not Found") << c.what;
  }
}

}  // namespace
