// The settings file: private-profile semantics over an INI file in the
// per-user configuration folder.
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "winutil/winapi.h"

static QString Profile_FilePath(const char* file) {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return dir + "/" + QString::fromLocal8Bit(file ? file : "");
}

static QString Profile_Key(const char* section, const char* key) {
  return QString::fromLocal8Bit(section) + "/" + QString::fromLocal8Bit(key);
}

int Profile_GetInt(const char* section, const char* key, int defaultValue, const char* file) {
  if (!section || !key || !file) return defaultValue;
  QSettings s(Profile_FilePath(file), QSettings::IniFormat);
  QString k = Profile_Key(section, key);
  if (!s.contains(k)) return defaultValue;
  QByteArray text = s.value(k).toString().toLocal8Bit();
  // Leading decimal digits count; a sign, a negative value or no digits read as 0.
  const char* p = text.constData();
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '-') return 0;
  if (*p == '+') ++p;
  long long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > 0x7FFFFFFF) return 0x7FFFFFFF;
  }
  return static_cast<int>(v);
}

int Profile_GetString(const char* section, const char* key, const char* defaultValue, char* buffer, int size,
                      const char* file) {
  if (!buffer || size <= 0) return 0;
  QByteArray text = QByteArray(defaultValue ? defaultValue : "");
  if (section && key && file) {
    QSettings s(Profile_FilePath(file), QSettings::IniFormat);
    QString k = Profile_Key(section, key);
    if (s.contains(k)) text = s.value(k).toString().toLocal8Bit();
  }
  int n = static_cast<int>(std::min<qsizetype>(text.size(), size - 1));
  std::memcpy(buffer, text.constData(), static_cast<size_t>(n));
  buffer[n] = '\0';
  return n;
}

int Profile_WriteString(const char* section, const char* key, const char* value, const char* file) {
  if (!section || !key || !file) return 0;
  QSettings s(Profile_FilePath(file), QSettings::IniFormat);
  s.setValue(Profile_Key(section, key), QString::fromLocal8Bit(value ? value : ""));
  s.sync();
  return s.status() == QSettings::NoError ? 1 : 0;
}

int Profile_GetPath(const char* file, char* buffer, int size) {
  if (!buffer || size <= 0) return 0;
  QByteArray p = Profile_FilePath(file).toLocal8Bit();
  if (p.size() >= size) return 0;
  std::memcpy(buffer, p.constData(), static_cast<size_t>(p.size()) + 1);
  return 1;
}
