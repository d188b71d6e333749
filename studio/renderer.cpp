#include "studio/renderer.h"

#include <GL/osmesa.h>
#include <GL/gl.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace tessel::studio {

// [SECTION] contexts

std::unique_ptr<OffscreenContext> OffscreenContext::create(int width, int height,
                                                           std::string* error) {
  std::unique_ptr<OffscreenContext> c(new OffscreenContext);
  c->context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!c->context_) {
    if (error) *error = "Mesa could not create an offscreen OpenGL context";
    return nullptr;
  }
  c->width_ = width, c->height_ = height;
  c->pixels_.assign(static_cast<std::size_t>(width) * height * 4, 0);
  if (!c->makeCurrent()) {
    if (error) *error = "Mesa could not bind a " + std::to_string(width) + "x" +
                        std::to_string(height) + " offscreen buffer";
    return nullptr;
  }
  return c;
}

OffscreenContext::~OffscreenContext() {
  if (context_) OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}

void* OffscreenContext::procAddress(const char* name) {
  return reinterpret_cast<void*>(OSMesaGetProcAddress(name));
}

bool OffscreenContext::makeCurrent() {
  return OSMesaMakeCurrent(static_cast<OSMesaContext>(context_), pixels_.data(), GL_UNSIGNED_BYTE,
                           width_, height_) == GL_TRUE;
}

// [SECTION] renderer

namespace {

// GL's viewport counts rows from the bottom.
void setViewport(GlContext& c, const PixelRect& r) {
  glViewport(r.x, c.height() - r.y - r.height, r.width, r.height);
  glScissor(r.x, c.height() - r.y - r.height, r.width, r.height);
}

void loadCamera(const Camera& camera, const Box& scene, const PixelRect& r) {
  double n, f;
  clipRange(camera, scene, &n, &f);
  Mat4 p = projectionMatrix(camera, r.width, r.height, n, f);
  Mat4 v = viewMatrix(camera);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(p.data());
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // A headlight over the viewer's right shoulder, fixed in eye space.
  const GLfloat light[4] = {0.4f, 0.5f, 1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  glLoadMatrixd(v.data());
}

}  // namespace

const std::vector<float>& Renderer::normalsFor(const Entity& e) {
  NormalCache& cache = normals_[e.id];
  const Mesh& m = *e.mesh;
  if (cache.mesh == &m && cache.vertices == m.vertexCount()) return cache.normals;
  cache.mesh = &m, cache.vertices = m.vertexCount();
  cache.normals.assign(m.positions.size(), 0.0f);
  for (std::uint32_t f = 0, nf = m.faceCount(); f < nf; ++f) {
    const std::uint32_t* t = &m.faces[3 * static_cast<std::size_t>(f)];
    // Area-weighted: the unnormalised cross product.
    Vec3 n = cross(m.position(t[1]) - m.position(t[0]), m.position(t[2]) - m.position(t[0]));
    for (int k = 0; k < 3; ++k) {
      float* out = &cache.normals[3 * static_cast<std::size_t>(t[k])];
      out[0] += static_cast<float>(n.x), out[1] += static_cast<float>(n.y);
      out[2] += static_cast<float>(n.z);
    }
  }
  for (std::size_t i = 0; i + 2 < cache.normals.size(); i += 3) {
    float* v = &cache.normals[i];
    float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (l > 0) v[0] /= l, v[1] /= l, v[2] /= l;
  }
  return cache.normals;
}

void Renderer::drawMesh(const Entity& e, bool selected) {
  const Mesh& m = *e.mesh;
  const std::vector<float>& normals = normalsFor(e);
  glEnable(GL_LIGHTING);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(1, 1);
  if (selected)
    glColor3f(0.93f, 0.80f, 0.55f);
  else
    glColor3f(0.72f, 0.74f, 0.78f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, m.positions.data());
  glNormalPointer(GL_FLOAT, 0, normals.data());
  bool anyHidden = false, anySelected = false;
  for (std::uint8_t flags : m.faceFlags) {
    anyHidden |= (flags & kHidden) != 0;
    anySelected |= (flags & kSelected) != 0;
  }
  if (!anyHidden) {
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m.faces.size()), GL_UNSIGNED_INT,
                   m.faces.data());
  } else {
    std::vector<std::uint32_t> shown;
    for (std::uint32_t f = 0; f < m.faceCount(); ++f)
      if (!(m.faceFlags[f] & kHidden)) shown.insert(shown.end(), &m.faces[3 * f], &m.faces[3 * f + 3]);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(shown.size()), GL_UNSIGNED_INT, shown.data());
  }
  glDisable(GL_POLYGON_OFFSET_FILL);
  if (anySelected) {
    // Selected faces drawn over the shaded surface; depth-equal passes thanks to the offset above.
    std::vector<std::uint32_t> picked;
    for (std::uint32_t f = 0; f < m.faceCount(); ++f)
      if ((m.faceFlags[f] & (kSelected | kHidden)) == kSelected)
        picked.insert(picked.end(), &m.faces[3 * f], &m.faces[3 * f + 3]);
    glColor3f(0.95f, 0.35f, 0.15f);
    glDepthFunc(GL_LEQUAL);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(picked.size()), GL_UNSIGNED_INT,
                   picked.data());
    glDepthFunc(GL_LESS);
  }
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisable(GL_LIGHTING);
  // Selected vertices and edges as points and lines on top of the surface.
  glColor3f(1.0f, 0.2f, 0.1f);
  glPointSize(4);
  glBegin(GL_POINTS);
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
    if (m.vertexFlags[v] & kSelected) glArrayElement(static_cast<GLint>(v));
  glEnd();
  glLineWidth(2);
  glBegin(GL_LINES);
  for (std::uint32_t i = 0; i < m.edgeCount(); ++i)
    if (m.edgeFlags[i] & kSelected) {
      glArrayElement(static_cast<GLint>(m.edges[i].v0));
      glArrayElement(static_cast<GLint>(m.edges[i].v1));
    }
  glEnd();
  glLineWidth(1);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void Renderer::drawPoints(const Entity& e, bool selected) {
  const Mesh& m = *e.mesh;
  glDisable(GL_LIGHTING);
  glPointSize(2);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, m.positions.data());
  if (selected)
    glColor3f(0.93f, 0.80f, 0.55f);
  else
    glColor3f(0.55f, 0.70f, 0.85f);
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(m.vertexCount()));
  glColor3f(1.0f, 0.2f, 0.1f);
  glBegin(GL_POINTS);
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
    if (m.vertexFlags[v] & kSelected) glArrayElement(static_cast<GLint>(v));
  glEnd();
  glDisableClientState(GL_VERTEX_ARRAY);
}

void Renderer::drawMarkers(const Entity& e, const Box& scene, bool selected) {
  double size = scene.empty() ? 0.5 : scene.radius() * 0.25;
  glDisable(GL_LIGHTING);
  if (e.type == om::kEntityCoordSys) {
    const CoordSys& c = e.frame;
    const Vec3 axes[3] = {c.xAxis, c.yAxis, c.zAxis};
    const float colours[3][3] = {{0.9f, 0.2f, 0.2f}, {0.2f, 0.8f, 0.2f}, {0.3f, 0.4f, 1.0f}};
    glLineWidth(selected ? 3.0f : 1.5f);
    glBegin(GL_LINES);
    for (int i = 0; i < 3; ++i) {
      Vec3 tip = c.origin + axes[i] * size;
      glColor3fv(colours[i]);
      glVertex3d(c.origin.x, c.origin.y, c.origin.z);
      glVertex3d(tip.x, tip.y, tip.z);
    }
    glEnd();
    glLineWidth(1);
  } else if (e.type == om::kEntityLight) {
    glColor3f(1.0f, 0.9f, selected ? 0.2f : 0.5f);
    glPointSize(8);
    glBegin(GL_POINTS);
    glVertex3d(e.light.position.x, e.light.position.y, e.light.position.z);
    glEnd();
  }
}

void Renderer::drawView(Scene& scene, const Camera& camera, const PixelRect& rect, bool active) {
  context_.makeCurrent();
  glEnable(GL_SCISSOR_TEST);
  setViewport(context_, rect);
  glClearColor(0.16f, 0.17f, 0.20f, 1);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  glDisable(GL_COLOR_LOGIC_OP);
  glEnable(GL_LIGHT0);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);  // scans are not consistently oriented
  const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  Box bounds = scene.bounds();
  loadCamera(camera, bounds, rect);
  for (const auto& e : scene.entities()) {
    if (!e->visible) continue;
    bool selected = e->state & kStateSelected;
    if (e->isMesh())
      drawMesh(*e, selected);
    else if (e->mesh)
      drawPoints(*e, selected);
    else
      drawMarkers(*e, bounds, selected);
  }
  // The active view's frame, so a quad layout shows which view takes the input.
  if (active) {
    beginOverlay(rect);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor3f(0.85f, 0.65f, 0.25f);
    float w = static_cast<float>(rect.width - 1), h = static_cast<float>(rect.height - 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(0, 0), glVertex2f(w, 0), glVertex2f(w, h), glVertex2f(0, h);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    endOverlay();
  }
  glFinish();
}

DepthImage Renderer::readDepth(const Camera& camera, const Scene& scene, const PixelRect& rect) {
  context_.makeCurrent();
  DepthImage out;
  out.width = rect.width, out.height = rect.height;
  std::vector<float> window(static_cast<std::size_t>(rect.width) * rect.height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(rect.x, context_.height() - rect.y - rect.height, rect.width, rect.height,
               GL_DEPTH_COMPONENT, GL_FLOAT, window.data());
  double n, f;
  clipRange(camera, scene.bounds(), &n, &f);
  out.depth.resize(window.size());
  for (int row = 0; row < rect.height; ++row)
    for (int col = 0; col < rect.width; ++col) {
      double z = window[static_cast<std::size_t>(rect.height - 1 - row) * rect.width + col];
      double d;
      if (z >= 1.0)
        d = std::numeric_limits<double>::infinity();
      else if (camera.orthographic)
        d = n + z * (f - n);
      else
        d = 2 * n * f / (f + n - (2 * z - 1) * (f - n));
      out.depth[static_cast<std::size_t>(row) * rect.width + col] = static_cast<float>(d);
    }
  return out;
}

std::vector<std::uint8_t> Renderer::readPixels(const PixelRect& rect) {
  context_.makeCurrent();
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(rect.width) * rect.height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(rect.x, context_.height() - rect.y - rect.height, rect.width, rect.height, GL_RGBA,
               GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<std::uint8_t> out(bottomUp.size());
  const std::size_t row = static_cast<std::size_t>(rect.width) * 4;
  for (int r = 0; r < rect.height; ++r)
    std::copy_n(&bottomUp[(rect.height - 1 - r) * row], row, &out[r * row]);
  return out;
}

void Renderer::beginOverlay(const PixelRect& rect) {
  context_.makeCurrent();
  glEnable(GL_SCISSOR_TEST);
  setViewport(context_, rect);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, rect.width, rect.height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.5f, 0.5f, 0);  // pixel centres
}

void Renderer::endOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glFinish();
}

std::string writePng(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                     int height) {
  std::filesystem::path target(path), temp(path + ".part");
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return path + ": cannot be written";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // libpng reports errors by longjmp; only a volatile survives it with its value.
  volatile bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int r = 0; r < height; ++r)
      png_write_row(png, &rgba[static_cast<std::size_t>(r) * width * 4]);
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  ok = std::fclose(file) == 0 && ok;
  bool written = ok;
  std::error_code ec;
  if (written) std::filesystem::rename(temp, target, ec);
  if (!written || ec) {
    std::filesystem::remove(temp, ec);
    return path + ": cannot be written";
  }
  return {};
}

}  // namespace tessel::studio
