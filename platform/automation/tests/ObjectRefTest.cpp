#include "platform/automation/ObjectRef.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/automation/tests/TestObjects.h"

namespace kelvaro::platform {
namespace {

using testing::Probe;

// An object that counts its own destruction.
class ObjectRefTest : public ::testing::Test {
 protected:
  ObjectRef Make() {
    auto made = std::make_shared<Probe>();
    made->onDestroy = [this] { ++destroyed; };
    return ObjectRef(std::move(made));
  }

  int destroyed = 0;
};

TEST_F(ObjectRefTest, ObjectGoesWithItsLastShare) {
  ObjectRef first = Make();
  ObjectRef second = first;
  Variant holder(second);
  Variant holderCopy = holder;
  EXPECT_EQ(first.ShareCount(), 4);

  first.Clear();
  second.Clear();
  holder.Clear();
  EXPECT_EQ(destroyed, 0) << "a Variant copy still holds a share";
  const ObjectRef* held = holderCopy.IfObject();
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->ShareCount(), 1);

  holderCopy = Variant(1);  // replacing the content gives the share up too
  EXPECT_EQ(destroyed, 1);
}

TEST_F(ObjectRefTest, TakeHandsTheContentOverAndLeavesTheVariantEmpty) {
  Variant holder(Make());
  EXPECT_EQ(holder.Take<Bytes>(), std::nullopt) << "another kind: nothing taken";
  ASSERT_NE(holder.IfObject(), nullptr);

  std::optional<ObjectRef> taken = holder.Take<ObjectRef>();
  ASSERT_TRUE(taken.has_value());
  EXPECT_EQ(taken->ShareCount(), 1) << "the share moved, none was added";
  EXPECT_TRUE(holder.IsEmpty());
  taken.reset();
  EXPECT_EQ(destroyed, 1);

  Variant text(std::u16string(100, u'a'));
  const char16_t* const storage = text.IfString()->data();
  const std::optional<std::u16string> content = text.Take<std::u16string>();
  ASSERT_TRUE(content.has_value());
  EXPECT_EQ(content->data(), storage);
  EXPECT_TRUE(text.IsEmpty());
}

TEST_F(ObjectRefTest, ClearAndMoveGiveUpOrHandOverTheShare) {
  ObjectRef object = Make();
  ObjectRef target = std::move(object);
  EXPECT_TRUE(object.IsEmpty());  // NOLINT(bugprone-use-after-move): moved-from is empty
  EXPECT_EQ(target.ShareCount(), 1);

  object.Clear();  // clearing an empty reference is harmless
  target.Clear();
  target.Clear();
  EXPECT_EQ(destroyed, 1);
  EXPECT_TRUE(target.IsEmpty());
  EXPECT_EQ(target.get(), nullptr);
  EXPECT_EQ(target.ShareCount(), 0);
}

TEST_F(ObjectRefTest, EqualityMeansTheSameObject) {
  const ObjectRef a = Make();
  const ObjectRef sameAsA = a;
  const ObjectRef b = Make();
  EXPECT_EQ(a, sameAsA);
  EXPECT_NE(a, b);
  EXPECT_EQ(ObjectRef(), ObjectRef());
  EXPECT_NE(a, ObjectRef());
  EXPECT_EQ(Variant(a), Variant(sameAsA));
  EXPECT_NE(Variant(a), Variant(b));
  EXPECT_NE(Variant(ObjectRef()), Variant()) << "an empty reference is still of kind Object";
}

TEST_F(ObjectRefTest, AsReachesTheConcreteClass) {
  const ObjectRef object = Make();
  const Probe* probe = object.As<Probe>();
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->label, u"probe");
  EXPECT_EQ(ObjectRef().As<Probe>(), nullptr);
}

}  // namespace
}  // namespace kelvaro::platform
