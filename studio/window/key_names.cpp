#include "studio/window/key_names.h"

namespace tessel::studio {
namespace {

int qtKey(std::uint8_t vk) {
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
  if (vk >= 0x70 && vk <= 0x7B) return Qt::Key_F1 + (vk - 0x70);
  switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2E: return Qt::Key_Delete;
    default: return 0;
  }
}

}  // namespace

QKeySequence keySequenceOf(const Accelerator& a) {
  const int key = qtKey(a.key);
  if (!key) return {};
  Qt::KeyboardModifiers mods;
  if (a.ctrl) mods |= Qt::ControlModifier;
  if (a.shift) mods |= Qt::ShiftModifier;
  if (a.alt) mods |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

QString keyText(const Accelerator& a) {
  const QKeySequence seq = keySequenceOf(a);
  return seq.isEmpty() ? QString("key 0x%1").arg(a.key, 2, 16, QChar('0'))
                       : seq.toString(QKeySequence::PortableText);
}

}  // namespace tessel::studio
