// Loading "cubemap.png" into the real window's GL context: the texture and its state on
// success, nothing touched on failure, and the one-line messages on standard output.
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/state.h"
#include "render/cubemap.h"
#include "support/files.h"
#include "support/gl_window.h"

namespace {

// Redirects file descriptor 1 into a file for the duration of one call.
class StdoutCapture {
 public:
  explicit StdoutCapture(const std::string& path) : path_(path) {
    std::fflush(stdout);
    saved_ = dup(1);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    close(fd);
  }
  // What reached the file before anyone but the code under test flushed stdout.
  std::string flushedText() const { return support::readTextFile(path_); }
  // Restores stdout and returns everything written, flushed or not.
  std::string finish() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
    saved_ = -1;
    return support::readTextFile(path_);
  }
  ~StdoutCapture() {
    if (saved_ >= 0) finish();
  }

 private:
  std::string path_;
  int saved_ = -1;
};

std::vector<unsigned char> patternImage(unsigned w, unsigned h) {
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 4);
  for (unsigned y = 0; y < h; ++y) {
    for (unsigned x = 0; x < w; ++x) {
      unsigned char* p = &px[(static_cast<std::size_t>(y) * w + x) * 4];
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = static_cast<unsigned char>((x >> 8) | ((y >> 8) << 4));
      p[3] = static_cast<unsigned char>(255 - (x + y) % 7);
    }
  }
  return px;
}

std::vector<unsigned char> encodeRgba(const std::vector<unsigned char>& px, unsigned w, unsigned h) {
  std::vector<unsigned char> png;
  EXPECT_EQ(lodepng::encode(png, px, w, h), 0u);
  return png;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  }
  std::fclose(f);
}

GLint texParameter(GLenum name) {
  GLint value = -1;
  glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
  return value;
}

GLint levelParameter(GLint level, GLenum name) {
  GLint value = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
  return value;
}

GLint envMode() {
  GLint mode = -1;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
  return mode;
}

GLint boundTexture() {
  GLint name = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

class CubemapGl : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureGlWindow();
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous_ = cwd;
    enterFreshDirectory();
    while (glGetError() != GL_NO_ERROR) {
    }
    texture_ = cubemapTexture;
    size_[0] = atlasWidth, size_[1] = atlasHeight;
  }
  void TearDown() override {
    cubemapTexture = texture_;
    atlasWidth = size_[0], atlasHeight = size_[1];
    leaveDirectory();
    EXPECT_EQ(chdir(previous_.c_str()), 0);
  }

  // loadCubemap reads from the working directory: each case gets an empty one.
  void enterFreshDirectory() {
    char dirTemplate[] = "/tmp/patchlume-atlas-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    dir_ = dirTemplate;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
  }
  void leaveDirectory() {
    if (dir_.empty()) return;
    std::remove((dir_ + "/cubemap.png").c_str());
    rmdir((dir_ + "/cubemap.png").c_str());
    std::remove((dir_ + "/stdout.txt").c_str());
    rmdir(dir_.c_str());
    dir_.clear();
  }

  // Runs loadCubemap with the slot as the shown texture (cubemapTexture) and stdout captured;
  // returns the text flushed by it, and the texture shown afterwards in slot.
  std::string load(GLuint& slot, std::string* allText = nullptr) {
    StdoutCapture capture(dir_ + "/stdout.txt");
    cubemapTexture = slot;
    loadCubemap("cubemap.png");
    slot = cubemapTexture;
    const std::string flushed = capture.flushedText();
    const std::string all = capture.finish();
    if (allText != nullptr) *allText = all;
    return flushed;
  }

  std::string dir_;
  std::string previous_;
  unsigned texture_ = 0;
  int size_[2] = {0, 0};
};

// A texture of the test's own holding a 2 by 2 image, left bound: what a load must not touch
// when it fails, and must release only once the new one took.
GLuint shownTexture() {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  const unsigned char two[16] = {};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, two);
  return name;
}

TEST_F(CubemapGl, LoadsTheAtlasWithItsStateAndMessage) {
  const unsigned w = 1024, h = 768;
  const std::vector<unsigned char> px = patternImage(w, h);
  writeFile("cubemap.png", encodeRgba(px, w, h));
  glBindTexture(GL_TEXTURE_2D, 0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

  GLuint slot = 0;
  std::string all;
  const std::string flushed = load(slot, &all);
  EXPECT_EQ(flushed, "width: 1024 height: 768\n");
  EXPECT_EQ(all, "width: 1024 height: 768\n");
  ASSERT_NE(slot, 0u);
  EXPECT_EQ(glIsTexture(slot), GL_TRUE);
  EXPECT_EQ(boundTexture(), static_cast<GLint>(slot));
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 1024);
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 768);
  EXPECT_TRUE(atlasWidth == 1024 && atlasHeight == 768);
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA);
  EXPECT_EQ(levelParameter(1, GL_TEXTURE_WIDTH), 0) << "no mipmap levels";
  EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
  EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
  EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
  EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
  EXPECT_EQ(envMode(), GL_DECAL);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  // The texels are the file's pixels, its top row first (at t = 0).
  std::vector<unsigned char> texels(px.size());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  EXPECT_TRUE(texels == px) << "texel (0, 0) is " << int(texels[0]) << "," << int(texels[1]) << ","
                            << int(texels[2]) << "," << int(texels[3]);
}

TEST_F(CubemapGl, OtherKindsAndSizes) {
  {  // an odd-sized RGB file: uploaded at its own size, opaque
    const unsigned w = 21, h = 13;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 7);
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, rgb, w, h, LCT_RGB, 8), 0u);
    writeFile("cubemap.png", png);
    GLuint slot = 0;
    EXPECT_EQ(load(slot), "width: 21 height: 13\n");
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 21);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 13);
    std::vector<unsigned char> texels(static_cast<std::size_t>(w) * h * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    bool same = true;
    for (std::size_t p = 0; p < static_cast<std::size_t>(w) * h; ++p)
      same = same && texels[p * 4] == rgb[p * 3] && texels[p * 4 + 1] == rgb[p * 3 + 1] &&
             texels[p * 4 + 2] == rgb[p * 3 + 2] && texels[p * 4 + 3] == 255;
    EXPECT_TRUE(same);
  }
  {  // a texture shown already: released only now, the new one bound in its place
    const GLuint old = shownTexture();
    writeFile("cubemap.png", encodeRgba(patternImage(8, 6), 8, 6));
    GLuint slot = old;
    EXPECT_EQ(load(slot), "width: 8 height: 6\n");
    EXPECT_EQ(boundTexture(), static_cast<GLint>(slot));
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 8);
    EXPECT_NE(slot, old);
    EXPECT_EQ(glIsTexture(old), GL_FALSE) << "the old texture is released";
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CubemapGl, FailedLoadsTouchNothing) {
  GLint maxSide = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
  ASSERT_GT(maxSide, 0);
  const std::vector<unsigned char> good = encodeRgba(patternImage(8, 6), 8, 6);

  struct Case {
    std::string label;
    std::vector<unsigned char> bytes;
    bool directory;
    bool missing;
  };
  std::vector<Case> cases;
  cases.push_back({"missing", {}, false, true});
  cases.push_back({"empty", {}, false, false});
  cases.push_back({"truncated", std::vector<unsigned char>(good.begin(), good.begin() + 45), false, false});
  {
    std::vector<unsigned char> bad = good;
    bad[30] ^= 0x10;  // inside IHDR's CRC
    cases.push_back({"corrupt CRC", bad, false, false});
  }
  cases.push_back({"a directory", {}, true, false});
  {  // header claims 100000 by 100000
    std::vector<unsigned char> bad = good;
    const unsigned char side[4] = {0x00, 0x01, 0x86, 0xA0};
    for (int i = 0; i < 4; ++i) bad[16 + i] = bad[20 + i] = side[i];
    lodepng_chunk_generate_crc(&bad[8]);
    cases.push_back({"enormous header", bad, false, false});
  }
  {  // one texel wider, then one taller, than the GL accepts
    std::vector<unsigned char> line(static_cast<std::size_t>(maxSide) + 1, 128), png;
    ASSERT_EQ(lodepng::encode(png, line, static_cast<unsigned>(maxSide) + 1, 1, LCT_GREY, 8), 0u);
    cases.push_back({"wider than GL_MAX_TEXTURE_SIZE", png, false, false});
    png.clear();
    ASSERT_EQ(lodepng::encode(png, line, 1, static_cast<unsigned>(maxSide) + 1, LCT_GREY, 8), 0u);
    cases.push_back({"taller than GL_MAX_TEXTURE_SIZE", png, false, false});
  }

  // The shown texture, bound, with state that a load would overwrite.
  const GLuint mine = shownTexture();
  atlasWidth = 2, atlasHeight = 2;
  for (const Case& c : cases) {
    leaveDirectory();
    enterFreshDirectory();
    if (c.directory)
      ASSERT_EQ(mkdir("cubemap.png", 0755), 0);
    else if (!c.missing)
      writeFile("cubemap.png", c.bytes);

    glBindTexture(GL_TEXTURE_2D, mine);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    for (GLuint start : {0u, mine}) {  // nothing shown before, or the bound texture
      GLuint slot = start;
      std::string all;
      EXPECT_EQ(load(slot, &all), "Couldn't open file\n") << c.label;
      EXPECT_EQ(all, "Couldn't open file\n") << c.label;
      EXPECT_EQ(slot, start) << c.label;
      EXPECT_EQ(boundTexture(), static_cast<GLint>(mine)) << c.label;
      EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 2) << c.label << ": the shown image is gone";
      EXPECT_TRUE(atlasWidth == 2 && atlasHeight == 2) << c.label;
      EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST) << c.label;
      EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_CLAMP) << c.label;
      EXPECT_EQ(envMode(), GL_MODULATE) << c.label;
      EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.label;
    }
  }
  glDeleteTextures(1, &mine);
}

TEST_F(CubemapGl, AnUploadTheGlRefusesIsAFailedLoad) {
  const GLuint old = shownTexture();
  atlasWidth = 2, atlasHeight = 2;
  // A bound unpack buffer far smaller than the image makes glTexImage2D fail with
  // GL_INVALID_OPERATION, as a driver out of memory would.
  GLuint unpack = 0;
  glGenBuffers(1, &unpack);
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, unpack);
  glBufferData(GL_PIXEL_UNPACK_BUFFER, 16, nullptr, GL_STATIC_DRAW);
  writeFile("cubemap.png", encodeRgba(patternImage(8, 6), 8, 6));
  GLuint mine = 0;
  glGenTextures(1, &mine);
  struct Case {
    const char* label;
    GLuint slot, bound;
  };
  const Case cases[] = {
      {"nothing shown, another texture bound", 0, mine},
      {"the shown texture bound", old, old},
  };
  for (const Case& c : cases) {
    glBindTexture(GL_TEXTURE_2D, c.bound);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GLuint slot = c.slot;
    std::string all;
    EXPECT_EQ(load(slot, &all), "Couldn't open file\n") << c.label;
    EXPECT_EQ(all, "Couldn't open file\n") << c.label;
    EXPECT_EQ(slot, c.slot) << c.label;
    EXPECT_EQ(boundTexture(), static_cast<GLint>(c.bound)) << c.label;
    EXPECT_EQ(envMode(), GL_MODULATE) << c.label;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.label;
    EXPECT_TRUE(atlasWidth == 2 && atlasHeight == 2) << c.label;
  }
  glBindTexture(GL_TEXTURE_2D, old);
  EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 2) << "the shown texture stays, with its image";
  glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
  glDeleteBuffers(1, &unpack);
  glDeleteTextures(1, &mine);
  glDeleteTextures(1, &old);

  // The same file once the GL takes it: loaded as usual.
  GLuint slot = 0;
  EXPECT_EQ(load(slot), "width: 8 height: 6\n");
  EXPECT_NE(slot, 0u);
  EXPECT_EQ(boundTexture(), static_cast<GLint>(slot));
}

}  // namespace
