#include "studio/render/renderer.h"

#include <GL/osmesa.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>

#include "platform/atomic_file.h"
#include "studio/render/frame_budget.h"
#include "studio/render/level_of_detail.h"
#include "studio/render/selection_order.h"
#include "studio/render/light_merge.h"

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
void setViewport(const GlApi& gl, GlContext& c, const PixelRect& r) {
  gl.Viewport(r.x, c.height() - r.y - r.height, r.width, r.height);
  gl.Scissor(r.x, c.height() - r.y - r.height, r.width, r.height);
}

void loadCamera(const GlApi& gl, const Camera& camera, const Box& scene, const PixelRect& r,
                const Vec3& evalLight = Renderer::defaultEvalLight()) {
  double n, f;
  clipRange(camera, scene, &n, &f);
  Mat4 p = projectionMatrix(camera, r.width, r.height, n, f);
  Mat4 v = viewMatrix(camera);
  gl.MatrixMode(GL_PROJECTION);
  gl.LoadMatrixd(p.data());
  gl.MatrixMode(GL_MODELVIEW);
  gl.LoadIdentity();
  // The view's evaluation light, fixed in eye space: set before the camera's matrix.
  const GLfloat light[4] = {static_cast<GLfloat>(evalLight.x), static_cast<GLfloat>(evalLight.y),
                            static_cast<GLfloat>(evalLight.z), 0.0f};
  gl.Lightfv(GL_LIGHT0, GL_POSITION, light);
  gl.LoadMatrixd(v.data());
}

constexpr int kGridSpacing = 40;  // pixels

constexpr GLfloat kSurface[3] = {0.72f, 0.74f, 0.78f};

std::array<GLfloat, 3> floats(const Rgb& c) {
  return {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f};
}

// What the depth range of a view must reach: the geometry and the light markers shown beside it.
// Every drawing and depth read of a view uses the same, so depths read back convert alike. The
// meshes' loose boxes: a frame after a placement changed places no vertex to find its range.
Box depthBounds(const Scene& scene) {
  Box reach = scene.looseBounds();
  for (const auto& e : scene.entities())
    if (e->type == om::kEntityLight && e->visible && scene.lightShown(*e))
      reach.add(e->placement.place(e->light.position));
  return reach;
}

// Blue through cyan, green and yellow to red over t in [0, 1].
void rampColour(double t, std::uint8_t* rgb) {
  t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0);
  const double r = std::clamp(4 * t - 2, 0.0, 1.0);
  const double g = t < 0.25 ? 4 * t : t > 0.75 ? 4 * (1 - t) : 1.0;
  const double b = std::clamp(2 - 4 * t, 0.0, 1.0);
  rgb[0] = static_cast<std::uint8_t>(std::lround(255 * r));
  rgb[1] = static_cast<std::uint8_t>(std::lround(255 * g));
  rgb[2] = static_cast<std::uint8_t>(std::lround(255 * b));
}

}  // namespace

const GlApi& Renderer::api() {
  context_.makeCurrent();
  if (!loaded_) {
    loaded_ = true;
    if (!gl_.load([this](const char* name) { return context_.procAddress(name); }))
      throw std::runtime_error("the OpenGL context lacks an OpenGL 1.1 entry point");
  }
  if (drawTarget_) gl_.BindFramebuffer(GL_FRAMEBUFFER, drawTarget_);
  return gl_;
}

bool Renderer::bindPieceTarget(int view) {
  const GlApi& gl = api();
  if (!gl.hasFramebuffers()) return false;
  const int w = context_.width(), h = context_.height();
  if (w <= 0 || h <= 0) return false;
  PieceTarget& t = targets_[view];
  if (!t.framebuffer) {
    gl.GenFramebuffers(1, &t.framebuffer);
    gl.GenRenderbuffers(1, &t.colour);
    gl.GenRenderbuffers(1, &t.depth);
  }
  if (t.width != w || t.height != h) {
    // The depth as the view's own framebuffer holds it: a copy of depth needs the same format.
    GLint depthBits = 24, stencilBits = 0;
    gl.BindFramebuffer(GL_FRAMEBUFFER, context_.framebuffer());
    gl.GetIntegerv(GL_DEPTH_BITS, &depthBits);
    gl.GetIntegerv(GL_STENCIL_BITS, &stencilBits);
    const GLenum depthFormat = stencilBits > 0   ? GL_DEPTH24_STENCIL8
                               : depthBits > 24  ? GL_DEPTH_COMPONENT32
                               : depthBits == 16 ? GL_DEPTH_COMPONENT16
                                                 : GL_DEPTH_COMPONENT24;
    gl.BindRenderbuffer(GL_RENDERBUFFER, t.colour);
    gl.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, w, h);
    gl.BindRenderbuffer(GL_RENDERBUFFER, t.depth);
    gl.RenderbufferStorage(GL_RENDERBUFFER, depthFormat, w, h);
    gl.BindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.BindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.colour);
    gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depth);
    if (stencilBits > 0)
      gl.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, t.depth);
    t.width = w, t.height = h;
  }
  gl.BindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
  if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    gl.BindFramebuffer(GL_FRAMEBUFFER, context_.framebuffer());
    return false;
  }
  drawTarget_ = t.framebuffer;
  return true;
}

void Renderer::leavePieceTarget(const Frame& f, bool show) {
  if (!drawTarget_) return;
  const GlApi& gl = api();
  drawTarget_ = 0;
  const GLuint own = context_.framebuffer();
  if (show) {
    // The view's rectangle only: the rest of its surface is other views' (one shared surface).
    const GLint x = f.rect.x, y = context_.height() - f.rect.y - f.rect.height;
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, targets_[f.view].framebuffer);
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, own);
    gl.BlitFramebuffer(x, y, x + f.rect.width, y + f.rect.height, x, y, x + f.rect.width,
                       y + f.rect.height, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT, GL_NEAREST);
  }
  gl.BindFramebuffer(GL_FRAMEBUFFER, own);
}

const std::vector<float>& Renderer::normalsFor(const Entity& e) {
  NormalCache& cache = normals_[e.id];
  const Mesh& m = *e.mesh;
  if (cache.revision == m.revision && m.revision != 0 && !cache.normals.empty())
    return cache.normals;
  cache.revision = m.revision;
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
  for (std::uint32_t v = 0, nv = m.vertexCount(); v < nv; ++v) {
    float* out = &cache.normals[3 * static_cast<std::size_t>(v)];
    float l = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (l > 0) {
      out[0] /= l, out[1] /= l, out[2] /= l;
      continue;
    }
    // Faces folded back onto each other (decimated scans have them) cancel out; such a vertex
    // takes the normal of one of its faces rather than drawing as a dark speck.
    std::uint32_t count;
    const std::uint32_t* around = m.facesAround(v, &count);
    for (std::uint32_t j = 0; j < count; ++j) {
      const std::uint32_t* t = &m.faces[3 * static_cast<std::size_t>(around[j])];
      Vec3 n = normalized(
          cross(m.position(t[1]) - m.position(t[0]), m.position(t[2]) - m.position(t[0])));
      if (length(n) == 0) continue;
      out[0] = static_cast<float>(n.x), out[1] = static_cast<float>(n.y);
      out[2] = static_cast<float>(n.z);
      break;
    }
  }
  return cache.normals;
}

Renderer::MeshBuffers* Renderer::buffersFor(const Entity& e) {
  const GlApi& gl = api();
  const Mesh& m = *e.mesh;
  if (!gl.hasBuffers() || m.revision == 0) return nullptr;
  MeshBuffers& b = buffers_[e.id];
  if (b.revision == m.revision) return &b;
  if (!b.vertices) {
    GLuint names[2];
    gl.GenBuffers(2, names);
    b.vertices = names[0], b.normals = names[1];
  }
  b.revision = m.revision;
  auto bytes = [](const auto& v) {
    return static_cast<GLsizeiptr>(v.size() * sizeof(v[0]));
  };
  gl.BindBuffer(GL_ARRAY_BUFFER, b.vertices);
  gl.BufferData(GL_ARRAY_BUFFER, bytes(m.positions), m.positions.data(), GL_STATIC_DRAW);
  gl.BindBuffer(GL_ARRAY_BUFFER, b.normals);
  gl.BufferData(GL_ARRAY_BUFFER, bytes(normalsFor(e)), normalsFor(e).data(), GL_STATIC_DRAW);
  normals_.erase(e.id);
  gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  // The triangles are drawn from memory, the mesh's own or an ordered copy: a copy in a buffer
  // object would be 12 bytes a triangle more for the mesh's own order, and the rasteriser reads
  // either from memory (the frames measured no slower, a selection's somewhat faster).
  releaseVector(b.triangles);
  b.ordered = false;  // the mesh's own order, whatever its flags
  b.ownOrder = true;
  b.shown = b.unselected = m.faceCount();
  return &b;
}

Renderer::MeshBuffers* Renderer::orderedBuffersFor(const Entity& e) {
  MeshBuffers* b = buffersFor(e);
  if (!b) return nullptr;
  const Mesh& m = *e.mesh;
  const FlagSummary flags = summarizeFlags(m.faceFlags.data(), m.faceFlags.size());
  if (b->ordered && b->order == flags) return b;
  b->ordered = true, b->order = flags;
  // Every face selected (Select All, a fill over a whole scan) orders them as they are.
  const bool allSelected = (flags.all & kSelected) && !(flags.any & kHidden);
  if (!(flags.any & (kSelected | kHidden)) || allSelected) {
    // No selection or all of it, nothing hidden: the mesh's own order, from its own triangles
    // (an ordered copy, if any, goes with its memory).
    releaseVector(b->triangles);
    b->ownOrder = true;
    b->shown = m.faceCount();
    b->unselected = allSelected ? 0 : m.faceCount();
  } else {
    // Room for every face at once rather than grown by doubling; what hidden faces leave over
    // goes after.
    b->triangles.clear();
    b->triangles.reserve(m.faces.size());
    b->unselected = orderBySelection(m.faces.data(), nullptr, m.faceCount(), m.faceFlags.data(),
                                     b->triangles);
    b->triangles.shrink_to_fit();
    b->shown = static_cast<std::uint32_t>(b->triangles.size() / 3);
    b->ownOrder = false;
  }
  // The levels follow the same flags.
  b->levelsOrdered = false;
  return b;
}

bool Renderer::levelsBuilt(const Entity& e, MeshBuffers& b) {
  const Mesh& m = *e.mesh;
  if (b.levelsRevision == m.revision) return true;
  if (!b.builder) b.builder = std::make_unique<LevelBuilder>();
  if (!b.builder->ready(m)) {
    // One build at a time: the cores are the frames' too. Another mesh's waits for a later frame.
    if (!b.builder->reading() && buildingLevels()) return false;
    b.builder->start(m);
    return false;
  }
  b.levels = b.builder->take();
  b.levelsRevision = m.revision;
  b.levelsOrdered = false;
  orderLevels(e, b);
  return true;
}

void Renderer::orderLevels(const Entity& e, MeshBuffers& b) {
  if (b.levelsOrdered || b.levels.empty()) return;
  const Mesh& m = *e.mesh;
  const GlApi& gl = api();
  if (!b.levelBuffer) gl.GenBuffers(1, &b.levelBuffer);
  b.levelsOrdered = true;
  std::vector<std::uint32_t> all, one;
  b.ranges.clear();
  for (const DetailLevel& level : b.levels) {
    LevelRange r;
    r.offset = static_cast<std::uint32_t>(all.size() / 3);
    r.unselected = orderBySelection(level.triangles.data(), level.sources.data(),
                                    level.triangleCount(), m.faceFlags.data(), one);
    r.shown = static_cast<std::uint32_t>(one.size() / 3);
    all.insert(all.end(), one.begin(), one.end());
    b.ranges.push_back(r);
  }
  gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.levelBuffer);
  gl.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(all.size() * 4), all.data(),
                GL_STATIC_DRAW);
  gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

MovingDrawing Renderer::movingDrawingFor(const Entity& e, MeshBuffers& b) {
  const Mesh& m = *e.mesh;
  if (m.faceCount() < kDetailLevelsFromFaces) return {};
  const bool built = levelsBuilt(e, b);
  if (built) orderLevels(e, b);
  std::vector<std::uint32_t> sizes;
  for (const DetailLevel& level : b.levels) sizes.push_back(level.triangleCount());
  return movingDrawing(built, sizes, m.faceCount(), largeFaces_, budget_);
}

const std::vector<std::uint32_t>& Renderer::sampleFor(const Mesh& m, MeshBuffers& b,
                                                      std::uint32_t stride) {
  if (b.sampleRevision == m.revision && b.sampleStride == stride && b.sampleOrder == b.order)
    return b.sample;
  b.sampleRevision = m.revision, b.sampleStride = stride, b.sampleOrder = b.order;
  b.sample.clear();
  std::vector<std::uint32_t> selected;
  const std::uint32_t nf = m.faceCount();
  for (std::uint32_t k = 0; static_cast<std::uint64_t>(k) * stride < nf; ++k) {
    // A face picked at random within each stride, so the sample does not line up with the rows
    // of a scanned grid.
    const std::uint64_t f = static_cast<std::uint64_t>(k) * stride + (k * 2654435761u) % stride;
    if (f >= nf) break;
    const std::uint8_t flags = m.faceFlags[f];
    if (flags & kHidden) continue;
    (flags & kSelected ? selected : b.sample).push_back(m.faces[3 * f + k % 3]);
  }
  b.sampleUnselected = static_cast<std::uint32_t>(b.sample.size());
  b.sample.insert(b.sample.end(), selected.begin(), selected.end());
  return b.sample;
}

void Renderer::meshChanging(const Mesh& mesh) {
  for (auto& [id, b] : buffers_)
    if (b.builder && b.builder->reading() == &mesh) b.builder->stop();
}

void Renderer::stopLevelBuilds() {
  for (auto& [id, b] : buffers_)
    if (b.builder) b.builder->stop();
}

bool Renderer::buildingLevels() const {
  return std::any_of(buffers_.begin(), buffers_.end(),
                     [](const auto& b) { return b.second.builder && b.second.builder->reading(); });
}

void Renderer::waitForLevels() {
  for (auto& [id, b] : buffers_)
    if (b.builder) b.builder->wait();
}

std::uint64_t Renderer::stillTriangles(const Entity& e) {
  if (!e.isMesh() || display_ == DisplayMode::Points) return 0;
  MeshBuffers* b = orderedBuffersFor(e);
  if (!b) return 0;
  if (levelsAhead_ && e.mesh->faceCount() >= kDetailLevelsFromFaces) levelsBuilt(e, *b);
  return b->shown;
}

void Renderer::backFaces(bool ownColour) {
  const GlApi& gl = api();
  if (!ownColour) {
    const GLfloat none[4] = {0, 0, 0, 1};
    gl.Materialfv(GL_BACK, GL_EMISSION, none);
    gl.ColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    return;
  }
  gl.ColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
  const GLfloat back[4] = {kBackFace[0], kBackFace[1], kBackFace[2], 1};
  const GLfloat glow[4] = {kBackFace[0] * kBackGlow, kBackFace[1] * kBackGlow,
                           kBackFace[2] * kBackGlow, 1};
  gl.Materialfv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, back);
  gl.Materialfv(GL_BACK, GL_EMISSION, glow);
}

void Renderer::drawMesh(const Entity& e, bool selected, bool holes, bool vertices,
                        std::uint64_t from, std::uint64_t to, bool last) {
  const GlApi& gl = api();
  const Mesh& m = *e.mesh;
  MeshBuffers* buffers = orderedBuffersFor(e);
  gl.Enable(GL_LIGHTING);
  gl.Enable(GL_POLYGON_OFFSET_FILL);
  gl.PolygonOffset(1, 1);
  const std::array<GLfloat, 3> selectedObject = floats(palette_.selectedObject);
  const GLfloat* colour = selected ? selectedObject.data() : kSurface;
  gl.Color3fv(colour);
  gl.EnableClientState(GL_VERTEX_ARRAY);
  gl.EnableClientState(GL_NORMAL_ARRAY);
  // A mesh's current map colours it per vertex.
  const std::vector<std::uint8_t>* colours = mapColours(e);
  auto bindColours = [&](bool on) {
    if (!colours) return;
    if (on) {
      gl.EnableClientState(GL_COLOR_ARRAY);
      gl.ColorPointer(3, GL_UNSIGNED_BYTE, 0, colours->data());
    } else {
      gl.DisableClientState(GL_COLOR_ARRAY);
    }
  };
  if (buffers) {
    gl.BindBuffer(GL_ARRAY_BUFFER, buffers->vertices);
    gl.VertexPointer(3, GL_FLOAT, 0, nullptr);
    gl.BindBuffer(GL_ARRAY_BUFFER, buffers->normals);
    gl.NormalPointer(GL_FLOAT, 0, nullptr);
    gl.BindBuffer(GL_ARRAY_BUFFER, 0);
  } else {
    gl.VertexPointer(3, GL_FLOAT, 0, m.positions.data());
    gl.NormalPointer(GL_FLOAT, 0, normalsFor(e).data());
  }
  bindColours(true);
  // The triangles this call draws: a level's, or [from, to) of the mesh's in frame order (without
  // buffer objects, that order is made here, and the whole mesh drawn at its last span).
  const MovingDrawing moving = moving_ && buffers ? movingDrawingFor(e, *buffers) : MovingDrawing{};
  const int level = moving.level;
  std::vector<std::uint32_t> clientOrder;
  GLuint elements = 0;
  const std::uint32_t* base = nullptr;  // client-side corners, without buffer objects
  std::uint64_t offset = 0, unselected = 0;
  if (level >= 0) {
    drewReduced_ = true;
    const LevelRange& r = buffers->ranges[static_cast<std::size_t>(level)];
    elements = buffers->levelBuffer, offset = r.offset, unselected = r.unselected;
    from = 0, to = last ? r.shown : 0;
  } else if (buffers) {
    base = buffers->ownOrder ? m.faces.data() : buffers->triangles.data();
    unselected = buffers->unselected;
    to = std::min<std::uint64_t>(to, buffers->shown);
  } else {
    unselected = orderBySelection(m.faces.data(), nullptr, m.faceCount(), m.faceFlags.data(),
                                  clientOrder);
    base = clientOrder.data();
    from = 0, to = last ? clientOrder.size() / 3 : 0;
  }
  // In calls of kFlushTriangles at most, each handed to the rasteriser (glFlush) once drawn:
  // Mesa's software rasteriser bins the triangles it is given into a scene and keeps the last
  // scene's memory after the frame (30 MB once the 871k-triangle dragon is drawn in one call);
  // flushed in pieces, a piece's at most.
  auto drawRange = [&](std::uint64_t a, std::uint64_t b) {
    for (std::uint64_t next; a < b; a = next) {
      next = std::min(b, a + kFlushTriangles);
      gl.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * (next - a)), GL_UNSIGNED_INT,
                      elements ? reinterpret_cast<const void*>(4 * 3 * (offset + a))
                               : static_cast<const void*>(base + 3 * (offset + a)));
      gl.Flush();
    }
  };
  const bool points = display_ == DisplayMode::Points;
  if (moving.stride) {
    // The levels are still being built: the sample's points, lit by their vertices' normals.
    drewReduced_ = true;
    if (last) {
      const std::vector<std::uint32_t>& sample = sampleFor(m, *buffers, moving.stride);
      const std::uint32_t unselectedPoints = buffers->sampleUnselected;
      gl.PointSize(2);
      if (unselectedPoints)
        gl.DrawElements(GL_POINTS, static_cast<GLsizei>(unselectedPoints), GL_UNSIGNED_INT,
                        sample.data());
      if (sample.size() > unselectedPoints) {
        bindColours(false);
        gl.Color3fv(floats(palette_.selection).data());
        gl.DrawElements(GL_POINTS, static_cast<GLsizei>(sample.size() - unselectedPoints),
                        GL_UNSIGNED_INT, sample.data() + unselectedPoints);
        gl.Color3fv(colour);
      }
      drawn_ += sample.size();
    }
  } else if (points && level < 0) {
    if (last) {
      gl.Disable(GL_LIGHTING);
      gl.PointSize(2);
      gl.Begin(GL_POINTS);
      for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
        if (!(m.vertexFlags[v] & kHidden)) gl.ArrayElement(static_cast<GLint>(v));
      gl.End();
      gl.Enable(GL_LIGHTING);
    }
  } else {
    // Shown as points, a level shows its corners.
    if (points) gl.PolygonMode(GL_FRONT_AND_BACK, GL_POINT);
    if (elements) gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
    drawRange(from, std::min(to, unselected));
    drawn_ += to - from;
    if (to > unselected) {
      // The selected faces in their own colour, once: the selection reads the same from either
      // side, and over a map.
      bindColours(false);
      gl.Color3fv(floats(palette_.selection).data());
      backFaces(false);
      drawRange(std::max(from, unselected), to);
      backFaces(true);
      gl.Color3fv(colour);
    }
    // The triangles' edges over the surface, which the fill's offset keeps behind them. Not over
    // a level: its edges are not the mesh's, and a moving frame is kept cheap.
    if (display_ == DisplayMode::Wireframe && level < 0) {
      gl.Disable(GL_LIGHTING);
      bindColours(false);
      gl.Color3f(0.22f, 0.24f, 0.30f);
      gl.DepthFunc(GL_LEQUAL);
      gl.PolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      drawRange(from, to);
      gl.DepthFunc(GL_LESS);
      gl.Enable(GL_LIGHTING);
    }
    if (elements) gl.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    gl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  bindColours(false);
  gl.Disable(GL_POLYGON_OFFSET_FILL);
  gl.DisableClientState(GL_NORMAL_ARRAY);
  gl.Disable(GL_LIGHTING);
  if (last) drawMeshMarks(m, holes, vertices);
  gl.DisableClientState(GL_VERTEX_ARRAY);
}

void Renderer::drawMeshMarks(const Mesh& m, bool holes, bool vertices) {
  const GlApi& gl = api();
  if (vertices) {
    gl.Color3f(0.30f, 0.32f, 0.38f);
    gl.PointSize(1);
    gl.Begin(GL_POINTS);
    for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
      if (!(m.vertexFlags[v] & kHidden)) gl.ArrayElement(static_cast<GLint>(v));
    gl.End();
  }
  if (holes) {
    gl.Color3f(0.20f, 0.85f, 0.95f);
    gl.LineWidth(1.5f);
    gl.Begin(GL_LINES);
    const std::vector<Edge>& edges = m.edges();
    for (std::uint32_t i = 0; i < edges.size(); ++i)
      if (edges[i].f1 == kNoFace && !(m.edgeFlags[i] & (kHidden | kSelected))) {
        gl.ArrayElement(static_cast<GLint>(edges[i].v0));
        gl.ArrayElement(static_cast<GLint>(edges[i].v1));
      }
    gl.End();
  }
  // Selected vertices and edges as points and lines on top of the surface; most frames have
  // none, and a glance at the flags spares the walk through every vertex and edge.
  if (summarizeFlags(m.vertexFlags.data(), m.vertexFlags.size()).any & kSelected) {
    gl.Color3fv(floats(palette_.selection).data());
    gl.PointSize(4);
    gl.Begin(GL_POINTS);
    for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
      if (m.vertexFlags[v] & kSelected) gl.ArrayElement(static_cast<GLint>(v));
    gl.End();
  }
  // No edge is selected before the edge table is built.
  if (summarizeFlags(m.edgeFlags.data(), m.edgeFlags.size()).any & kSelected) {
    gl.Color3fv(floats(palette_.selection).data());
    gl.LineWidth(2);
    gl.Begin(GL_LINES);
    for (std::uint32_t i = 0; i < m.edgeFlags.size(); ++i)
      if (m.edgeFlags[i] & kSelected) {
        gl.ArrayElement(static_cast<GLint>(m.edges()[i].v0));
        gl.ArrayElement(static_cast<GLint>(m.edges()[i].v1));
      }
    gl.End();
  }
  gl.LineWidth(1);
}

void Renderer::drawPoints(const Entity& e, bool selected) {
  const GlApi& gl = api();
  const Mesh& m = *e.mesh;
  gl.Disable(GL_LIGHTING);
  gl.PointSize(2);
  gl.EnableClientState(GL_VERTEX_ARRAY);
  gl.VertexPointer(3, GL_FLOAT, 0, m.positions.data());
  if (selected)
    gl.Color3fv(floats(palette_.selectedObject).data());
  else
    gl.Color3f(0.55f, 0.70f, 0.85f);
  gl.DrawArrays(GL_POINTS, 0, static_cast<GLsizei>(m.vertexCount()));
  gl.Color3fv(floats(palette_.selection).data());
  gl.Begin(GL_POINTS);
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
    if (m.vertexFlags[v] & kSelected) gl.ArrayElement(static_cast<GLint>(v));
  gl.End();
  gl.DisableClientState(GL_VERTEX_ARRAY);
}

void Renderer::drawMarkers(const Entity& e, bool selected) {
  const GlApi& gl = api();
  gl.Disable(GL_LIGHTING);
  if (e.type == om::kEntityLight) {
    gl.Color3f(1.0f, 0.9f, selected ? 0.2f : 0.5f);
    gl.PointSize(selected ? 11.0f : 8.0f);
    gl.Begin(GL_POINTS);
    gl.Vertex3d(e.light.position.x, e.light.position.y, e.light.position.z);
    gl.End();
    // A stroke towards where it shines.
    const Vec3 tip = e.light.position + (e.light.aim - e.light.position) * 0.2;
    gl.LineWidth(selected ? 3.0f : 1.5f);
    gl.Begin(GL_LINES);
    gl.Vertex3d(e.light.position.x, e.light.position.y, e.light.position.z);
    gl.Vertex3d(tip.x, tip.y, tip.z);
    gl.End();
    gl.LineWidth(1);
  } else if (e.isConnected()) {
    if (selected)
      gl.Color3f(1.0f, 0.85f, 0.2f);
    else if (e.isCurve())
      gl.Color3f(0.45f, 0.7f, 1.0f);
    else
      gl.Color3f(0.5f, 0.9f, 0.5f);
    gl.LineWidth(selected ? 3.0f : 1.5f);
    gl.Begin(GL_LINE_STRIP);
    for (const Vec3& p : e.points) gl.Vertex3d(p.x, p.y, p.z);
    gl.End();
    gl.LineWidth(1);
  }
}

const std::vector<std::uint8_t>* Renderer::mapColours(const Entity& e) {
  const VertexMap* map = e.currentVertexMap();
  const std::size_t n = e.mesh ? e.mesh->vertexCount() : 0;
  if (!map) {
    colours_.erase(e.id);
    return nullptr;
  }
  ColourCache& cache = colours_[e.id];
  if (cache.revision == e.mapRevision && cache.colours.size() == 3 * n) return &cache.colours;
  cache.revision = e.mapRevision;
  if (map->colours.size() == 3 * n) {
    cache.colours = map->colours;
  } else if (map->values.size() == n) {
    float lo = HUGE_VALF, hi = -HUGE_VALF;
    for (float v : map->values)
      if (std::isfinite(v)) lo = std::min(lo, v), hi = std::max(hi, v);
    const double span = hi > lo ? hi - lo : 1.0;
    cache.colours.resize(3 * n);
    for (std::size_t v = 0; v < n; ++v) rampColour((map->values[v] - lo) / span, &cache.colours[3 * v]);
  } else {
    return nullptr;  // a map that does not fit the mesh is not drawn
  }
  return &cache.colours;
}

void Renderer::setSceneLights(const Scene& scene) {
  const GlApi& gl = api();
  if (maxLights_ == 0) {
    gl.GetIntegerv(GL_MAX_LIGHTS, &maxLights_);
    maxLights_ = std::clamp<GLint>(maxLights_, 1, 1 + om::kLightSlots);
  }
  std::vector<Vec3> directions;
  for (const auto& e : scene.entities()) {
    if (e->type != om::kEntityLight || !e->visible) continue;
    const Vec3 from = e->placement.place(e->light.position);
    const Vec3 d = from - e->light.aim;
    if (length(d) > 0) directions.push_back(normalized(d));
  }
  const std::vector<MergedLight> lights = mergeLights(directions, maxLights_ - 1);
  // Alone, the evaluation light is at full strength. With the scene's lights it gives some up,
  // and they share a fixed budget (half a light each while few), so ten lights brighten the
  // surfaces they face without washing the scan out.
  const GLfloat eval = directions.empty() ? 1.0f : 0.7f;
  const GLfloat evalDiffuse[4] = {eval, eval, eval, 1};
  gl.Lightfv(GL_LIGHT0, GL_DIFFUSE, evalDiffuse);
  const double perLight =
      directions.empty() ? 0.0 : std::min(0.5, 0.8 / static_cast<double>(directions.size()));
  for (GLint i = 1; i < maxLights_; ++i) {
    const GLenum name = static_cast<GLenum>(GL_LIGHT0 + i);
    if (i > static_cast<GLint>(lights.size())) {
      gl.Disable(name);
      continue;
    }
    const MergedLight& l = lights[static_cast<std::size_t>(i - 1)];
    const GLfloat position[4] = {static_cast<GLfloat>(l.direction.x),
                                 static_cast<GLfloat>(l.direction.y),
                                 static_cast<GLfloat>(l.direction.z), 0.0f};
    const GLfloat k = static_cast<GLfloat>(perLight * l.weight);
    const GLfloat diffuse[4] = {k, k, k, 1};
    gl.Lightfv(name, GL_POSITION, position);
    gl.Lightfv(name, GL_DIFFUSE, diffuse);
    gl.Enable(name);
  }
}

void Renderer::drawGrid(const PixelRect& rect) {
  const GlApi& gl = api();
  beginOverlay(rect);
  gl.Disable(GL_DEPTH_TEST);
  gl.Disable(GL_LIGHTING);
  const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
  const float cx = std::floor(w / 2), cy = std::floor(h / 2);
  gl.LineWidth(1);
  gl.Begin(GL_LINES);
  // From the view's centre outwards, so the lines stay put as a view is resized about it.
  for (int axis = 0; axis < 2; ++axis) {
    const float extent = axis == 0 ? w : h, centre = axis == 0 ? cx : cy;
    for (float at = centre - kGridSpacing * std::floor(centre / kGridSpacing); at < extent;
         at += kGridSpacing) {
      const bool middle = at == centre;
      if (middle)
        gl.Color3f(0.42f, 0.44f, 0.50f);
      else
        gl.Color3f(0.26f, 0.27f, 0.31f);
      if (axis == 0)
        gl.Vertex2f(at, 0), gl.Vertex2f(at, h);
      else
        gl.Vertex2f(0, at), gl.Vertex2f(w, at);
    }
  }
  gl.End();
  gl.Enable(GL_DEPTH_TEST);
  endOverlay();
}

void Renderer::drawTripod(const CoordSys& c, double size, bool selected) {
  const GlApi& gl = api();
  const Vec3 axes[3] = {c.xAxis, c.yAxis, c.zAxis};
  const float colours[3][3] = {{0.9f, 0.2f, 0.2f}, {0.2f, 0.8f, 0.2f}, {0.3f, 0.4f, 1.0f}};
  gl.Disable(GL_LIGHTING);
  gl.LineWidth(selected ? 3.0f : 1.5f);
  gl.Begin(GL_LINES);
  for (int i = 0; i < 3; ++i) {
    Vec3 tip = c.origin + axes[i] * size;
    gl.Color3fv(colours[i]);
    gl.Vertex3d(c.origin.x, c.origin.y, c.origin.z);
    gl.Vertex3d(tip.x, tip.y, tip.z);
  }
  gl.End();
  gl.LineWidth(1);
}

namespace {

// Draws what `draw` draws in the entity's own space, placed: the matrix goes to OpenGL, the
// vertices stay as they are.
template <class Draw>
void placed(const GlApi& gl, const Entity& e, Draw&& draw) {
  if (e.placement.isIdentity()) return draw();
  gl.MatrixMode(GL_MODELVIEW);
  gl.PushMatrix();
  gl.MultMatrixd(e.placement.forward().data());
  draw();
  gl.MatrixMode(GL_MODELVIEW);
  gl.PopMatrix();
}

}  // namespace

void Renderer::beginFrame(const Frame& f, bool clear) {
  const GlApi& gl = api();
  gl.Enable(GL_SCISSOR_TEST);
  setViewport(gl, context_, f.rect);
  if (clear) {
    const std::array<GLfloat, 3> background = floats(palette_.background);
    gl.ClearColor(background[0], background[1], background[2], 1);
    gl.ClearDepth(1);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  gl.Enable(GL_DEPTH_TEST);
  gl.DepthFunc(GL_LESS);
  gl.DepthMask(GL_TRUE);
  gl.Disable(GL_COLOR_LOGIC_OP);
  gl.Enable(GL_LIGHT0);
  gl.LightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);  // scans are not consistently oriented
  const GLfloat ambient[4] = {0.25f, 0.25f, 0.25f, 1};
  gl.LightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  gl.Enable(GL_COLOR_MATERIAL);
  // The front follows the current colour; the back keeps a tint of its own, with a glow so that
  // a back side whose normals face away from every light is still that tint, not black.
  backFaces(true);
  gl.Enable(GL_NORMALIZE);
  gl.ShadeModel(display_ == DisplayMode::Flat ? GL_FLAT : GL_SMOOTH);
  if (clear && f.scene->gridShown) drawGrid(f.rect);
  loadCamera(gl, f.camera, depthBounds(*f.scene), f.rect, f.evalLight);
  setSceneLights(*f.scene);
}

void Renderer::drawSpans(const Frame& f, const std::vector<std::uint32_t>& ids,
                         const std::vector<std::uint64_t>& sizes,
                         const std::vector<PieceSpan>& spans) {
  const GlApi& gl = api();
  Scene& scene = *f.scene;
  for (const PieceSpan& span : spans) {
    Entity* e = scene.find(ids[span.item]);
    if (!e || !e->visible) continue;  // gone since the frame began: its view is marked again
    const bool last = span.to >= sizes[span.item];
    bool selected = e->state & kStateSelected;
    placed(gl, *e, [&] {
      if (e->isMesh()) {
        // Dots only where they leave the faces readable: a dense scan seen whole would be
        // covered by them.
        const bool dots = !scene.objectMode && scene.showVertices &&
                          vertexDotsReadable(e->mesh->vertexCount(),
                                             projectedArea(f.camera, f.rect.width, f.rect.height,
                                                           e->looseBounds()));
        drawMesh(*e, selected, !scene.objectMode && scene.showHoles, dots, span.from, span.to,
                 last);
      } else if (last) {
        if (e->mesh)
          drawPoints(*e, selected);
        else
          drawMarkers(*e, selected);
      }
    });
  }
}

void Renderer::endFrame(const Frame& f) {
  const GlApi& gl = api();
  // Frames as tripods over the surfaces, so a frame inside a scan still shows: coordinate
  // systems (the global one among them) large, every other entity's frame small.
  const Box bounds = f.scene->looseBounds();
  const double radius = bounds.empty() ? 2.0 : bounds.radius();
  gl.Disable(GL_DEPTH_TEST);
  for (const auto& e : f.scene->entities()) {
    const bool coordSys = e->type == om::kEntityCoordSys;
    if (e->visible && (coordSys || e->frameShown))
      drawTripod(e->frame, radius * (coordSys ? 0.25 : 0.08), e->state & kStateSelected);
  }
  gl.Enable(GL_DEPTH_TEST);
  // In the same frame as the scene: lines rasterized apart from it after a finish make the
  // software rasterizer give back and take anew the scene's memory every frame (a third of
  // a large mesh's frame time in page faults).
  if (f.manipulator) drawManipulator(*f.manipulator, f.camera, f.rect);
  // The active view's frame, so a quad layout shows which view takes the input.
  if (f.active) {
    beginOverlay(f.rect);
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_LIGHTING);
    gl.Color3f(0.85f, 0.65f, 0.25f);
    float w = static_cast<float>(f.rect.width - 1), h = static_cast<float>(f.rect.height - 1);
    gl.Begin(GL_LINE_LOOP);
    gl.Vertex2f(0, 0), gl.Vertex2f(w, 0), gl.Vertex2f(w, h), gl.Vertex2f(0, h);
    gl.End();
    gl.Enable(GL_DEPTH_TEST);
    endOverlay();
  }
}

bool Renderer::drawView(Scene& scene, const Camera& camera, const PixelRect& rect, bool active,
                        const Vec3& evalLight, const ManipulatorDrawing* manipulator) {
  // A view being drawn in pieces is finished first, unless this frame replaces it.
  if (refining_ && refining_->frame.view != view_) completePieces();
  refining_.reset();
  // A window's view that is not on screen yet has no surface; it draws when it gets one.
  if (!context_.makeCurrent()) return true;
  const auto start = std::chrono::steady_clock::now();
  const GlApi& gl = api();
  inFrame_ = true;
  Refinement r;
  r.frame = {&scene, camera, rect, active, evalLight, std::nullopt, display_, view_};
  if (manipulator) r.frame.manipulator = *manipulator;
  // Every entity drawn is an item of the frame; a mesh's size is the triangles a still frame
  // draws of it.
  std::uint64_t total = 0;
  largeFaces_ = 0;
  for (const auto& e : scene.entities()) {
    if (!e->visible) continue;
    if (e->type == om::kEntityLight && !scene.lightShown(*e)) continue;
    r.ids.push_back(e->id);
    r.sizes.push_back(stillTriangles(*e));
    total += r.sizes.back();
    if (e->isMesh() && e->mesh->faceCount() >= kDetailLevelsFromFaces)
      largeFaces_ += e->mesh->faceCount();
  }
  drawn_ = 0;
  if (moving_)
    budget_ = movingTriangles_ ? movingTriangles_
                               : nextBudget(lastDrawn_, lastSeconds_, movingFrameSeconds_);
  const bool pieces = pieces_ && !moving_;
  const std::uint64_t piece =
      !pieces ? total + 1
      : pieceTriangles_ ? pieceTriangles_
                        : nextBudget(lastDrawn_, lastSeconds_, kPieceSeconds);
  std::vector<PieceSpan> spans = nextPiece(r.sizes, r.cursor, piece);
  bool done = r.cursor.item >= r.sizes.size();
  // A frame of more than one piece is drawn aside, and the view keeps showing the last complete
  // one; where it cannot be, the frame is drawn whole rather than shown half-drawn.
  if (!done && !bindPieceTarget(view_)) {
    r.cursor = {};
    spans = nextPiece(r.sizes, r.cursor, total + 1);
    done = true;
  }
  beginFrame(r.frame, true);
  drawSpans(r.frame, r.ids, r.sizes, spans);
  if (done)
    endFrame(r.frame);
  else
    refining_ = std::move(r);
  gl.Finish();
  if (!done) leavePieceTarget(refining_->frame, false);
  inFrame_ = false;
  noteFrame(start);
  return done;
}

bool Renderer::continuePieces() {
  if (!refining_) return true;
  Refinement& r = *refining_;
  context_.useView(r.frame.view);
  // Gone from the screen, or resized (the surface's new size draws a new frame anyway).
  const auto target = targets_.find(r.frame.view);
  if (!context_.makeCurrent() || target == targets_.end() ||
      target->second.width != context_.width() || target->second.height != context_.height() ||
      !bindPieceTarget(r.frame.view)) {
    refining_.reset();
    return true;
  }
  const auto start = std::chrono::steady_clock::now();
  const GlApi& gl = api();
  inFrame_ = true;
  const DisplayMode display = std::exchange(display_, r.frame.display);
  const bool moving = std::exchange(moving_, false);
  drawn_ = 0;
  beginFrame(r.frame, false);
  const std::uint64_t piece =
      pieceTriangles_ ? pieceTriangles_ : nextBudget(lastDrawn_, lastSeconds_, kPieceSeconds);
  drawSpans(r.frame, r.ids, r.sizes, nextPiece(r.sizes, r.cursor, piece));
  const bool done = r.cursor.item >= r.sizes.size();
  if (done) endFrame(r.frame);
  // Complete: onto the view's surface, whose last complete frame it replaces.
  leavePieceTarget(r.frame, done);
  gl.Finish();
  display_ = display, moving_ = moving;
  inFrame_ = false;
  noteFrame(start);
  if (done) {
    const Frame f = r.frame;
    refining_.reset();
    replayOverlays(f.view, f.rect);
    context_.present();
  }
  return done;
}

void Renderer::completePieces() {
  if (!refining_) return;
  const int back = context_.viewInUse();
  while (!continuePieces()) {
  }
  context_.useView(back);
}

void Renderer::noteFrame(std::chrono::steady_clock::time_point start) {
  lastDrawn_ = drawn_;
  lastSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

DepthImage Renderer::readDepth(const Camera& camera, const Scene& scene, const PixelRect& rect) {
  if (!inFrame_) completePieces();  // what is read or drawn over is the whole frame
  const GlApi& gl = api();
  DepthImage out;
  out.width = rect.width, out.height = rect.height;
  std::vector<float> window(static_cast<std::size_t>(rect.width) * rect.height);
  gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.ReadPixels(rect.x, context_.height() - rect.y - rect.height, rect.width, rect.height,
               GL_DEPTH_COMPONENT, GL_FLOAT, window.data());
  double n, f;
  clipRange(camera, depthBounds(scene), &n, &f);
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

DepthImage Renderer::surfaceDepth(const Scene& scene, const Camera& camera,
                                  const PixelRect& rect) {
  completePieces();  // its depth must not be cleared under a frame still being drawn
  const GlApi& gl = api();
  gl.Enable(GL_SCISSOR_TEST);
  setViewport(gl, context_, rect);
  gl.DepthMask(GL_TRUE);
  gl.ClearDepth(1);
  gl.Clear(GL_DEPTH_BUFFER_BIT);
  gl.Enable(GL_DEPTH_TEST);
  gl.DepthFunc(GL_LESS);
  gl.Disable(GL_COLOR_LOGIC_OP);
  gl.Disable(GL_LIGHTING);
  gl.ColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  loadCamera(gl, camera, depthBounds(scene), rect);
  gl.EnableClientState(GL_VERTEX_ARRAY);
  std::vector<std::uint32_t> shown;
  for (const auto& e : scene.entities()) {
    if (!e->visible || !e->isMesh()) continue;
    const Mesh& m = *e->mesh;
    gl.VertexPointer(3, GL_FLOAT, 0, m.positions.data());
    const bool anyHidden = std::any_of(m.faceFlags.begin(), m.faceFlags.end(),
                                       [](std::uint8_t f) { return (f & kHidden) != 0; });
    const std::uint32_t* faces = m.faces.data();
    std::size_t count = m.faces.size();
    if (anyHidden) {
      shown.clear();
      for (std::uint32_t f = 0; f < m.faceCount(); ++f)
        if (!(m.faceFlags[f] & kHidden)) shown.insert(shown.end(), &faces[3 * f], &faces[3 * f + 3]);
      faces = shown.data(), count = shown.size();
    }
    placed(gl, *e, [&] {
      gl.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(count), GL_UNSIGNED_INT, faces);
    });
  }
  gl.DisableClientState(GL_VERTEX_ARRAY);
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  gl.Finish();
  return readDepth(camera, scene, rect);
}

std::optional<Vec3> Renderer::surfacePointAt(const Scene& scene, const Camera& camera,
                                             const PixelRect& rect, int view, int x, int y) {
  if (x < 0 || y < 0 || x >= rect.width || y >= rect.height) return std::nullopt;
  completePieces();
  context_.useView(view);
  const GlApi& gl = api();
  float z = 1;
  gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.ReadPixels(rect.x + x, context_.height() - rect.y - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT,
                &z);
  if (!(z < 1.0f) || !(z >= 0.0f)) return std::nullopt;
  double n, f;
  clipRange(camera, depthBounds(scene), &n, &f);
  // The distance along the view direction, as readDepth makes it.
  const double d = camera.orthographic ? n + z * (f - n)
                                       : 2 * n * f / (f + n - (2.0 * z - 1) * (f - n));
  Vec3 origin, direction;
  pixelRay(camera, rect.width, rect.height, x, y, &origin, &direction);
  const Vec3 forward = viewDirection(camera);
  const double along = dot(direction, forward);
  if (!(along > 1e-12)) return std::nullopt;
  const Vec3 p = origin + direction * ((d - dot(origin - camera.eye, forward)) / along);
  return isFinite(p) ? std::optional<Vec3>(p) : std::nullopt;
}

void Renderer::drawManipulator(const ManipulatorDrawing& m, const Camera& camera,
                               const PixelRect& rect) {
  if (m.kind == ManipulatorKind::None) return;
  const ViewSize size{rect.width, rect.height};
  const double length = manipulatorWorldSize(camera, size, m.pose.origin);
  const GlApi& gl = api();
  beginOverlay(rect);
  gl.Disable(GL_DEPTH_TEST);
  gl.DepthMask(GL_FALSE);
  gl.Disable(GL_LIGHTING);
  gl.Disable(GL_COLOR_LOGIC_OP);
  gl.LineWidth(2);
  const auto colour = [&](ManipulatorHandle h) {
    if (h == m.picked || (m.picked == ManipulatorHandle::None && h == m.hover))
      gl.Color3f(1.0f, 0.9f, 0.1f);
    else if (h == ManipulatorHandle::X)
      gl.Color3f(0.9f, 0.15f, 0.15f);
    else if (h == ManipulatorHandle::Y)
      gl.Color3f(0.2f, 0.8f, 0.2f);
    else if (h == ManipulatorHandle::Z)
      gl.Color3f(0.25f, 0.4f, 1.0f);
    else
      gl.Color3f(0.75f, 0.75f, 0.8f);
  };
  for (const HandleShape& shape : manipulatorShapes(m.kind, m.pose, length)) {
    colour(shape.handle);
    gl.Begin(shape.closed ? GL_LINE_LOOP : GL_LINE_STRIP);
    for (const Vec3& p : shape.points) {
      const ScreenPoint s = project(camera, rect.width, rect.height, p);
      if (s.inFront) gl.Vertex2f(static_cast<float>(s.x), static_cast<float>(s.y));
    }
    gl.End();
  }
  if (m.kind != ManipulatorKind::Rotate) {
    const ScreenPoint c = project(camera, rect.width, rect.height, m.pose.origin);
    if (c.inFront) {
      colour(ManipulatorHandle::Centre);
      const float x = static_cast<float>(c.x), y = static_cast<float>(c.y), r = 5;
      gl.Begin(GL_LINE_LOOP);
      gl.Vertex2f(x - r, y - r), gl.Vertex2f(x + r, y - r), gl.Vertex2f(x + r, y + r),
          gl.Vertex2f(x - r, y + r);
      gl.End();
    }
  }
  gl.LineWidth(1);
  gl.DepthMask(GL_TRUE);
  gl.Enable(GL_DEPTH_TEST);
  endOverlay(false);
}

std::vector<std::uint8_t> Renderer::readPixels(const PixelRect& rect) {
  if (!inFrame_) completePieces();  // what is read or drawn over is the whole frame
  const GlApi& gl = api();
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(rect.width) * rect.height * 4);
  gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
  gl.ReadPixels(rect.x, context_.height() - rect.y - rect.height, rect.width, rect.height, GL_RGBA,
               GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<std::uint8_t> out(bottomUp.size());
  const std::size_t row = static_cast<std::size_t>(rect.width) * 4;
  for (int r = 0; r < rect.height; ++r)
    std::copy_n(&bottomUp[(rect.height - 1 - r) * row], row, &out[r * row]);
  return out;
}

void Renderer::beginOverlay(const PixelRect& rect) {
  if (!inFrame_) completePieces();  // what is read or drawn over is the whole frame
  const GlApi& gl = api();
  gl.Enable(GL_SCISSOR_TEST);
  setViewport(gl, context_, rect);
  gl.MatrixMode(GL_PROJECTION);
  gl.PushMatrix();
  gl.LoadIdentity();
  gl.Ortho(0, rect.width, rect.height, 0, -1, 1);
  gl.MatrixMode(GL_MODELVIEW);
  gl.PushMatrix();
  gl.LoadIdentity();
  gl.Translatef(0.5f, 0.5f, 0);  // pixel centres
}

void Renderer::endOverlay(bool finish) {
  const GlApi& gl = api();
  gl.MatrixMode(GL_PROJECTION);
  gl.PopMatrix();
  gl.MatrixMode(GL_MODELVIEW);
  gl.PopMatrix();
  if (finish) gl.Finish();
}

bool Renderer::keepOverlay(int view, const PixelRect& rect) {
  std::vector<KeptOverlay>& kept = kept_[view];
  if (kept.size() >= kMaxKeptOverlays) return false;
  const GlApi& gl = api();
  KeptOverlay k;
  k.list = gl.GenLists(1);
  if (k.list == 0) return false;
  gl.GetFloatv(GL_CURRENT_COLOR, k.colour);
  gl.GetIntegerv(GL_LOGIC_OP_MODE, &k.logicMode);
  k.logicOp = gl.IsEnabled(GL_COLOR_LOGIC_OP);
  k.depthTest = gl.IsEnabled(GL_DEPTH_TEST);
  kept.push_back(k);
  beginOverlay(rect);
  gl.NewList(k.list, GL_COMPILE);
  return true;
}

void Renderer::endKeptOverlay() {
  api().EndList();
  endOverlay(false);
}

void Renderer::replayOverlays(int view, const PixelRect& rect) {
  auto it = kept_.find(view);
  if (it == kept_.end() || it->second.empty()) return;
  const GlApi& gl = api();
  for (const KeptOverlay& k : it->second) {
    beginOverlay(rect);
    // The state the overlay's own code set around it; the rest is the drawing's, as it was
    // when the overlay would have been drawn straight over it.
    gl.PushAttrib(GL_ALL_ATTRIB_BITS);
    gl.DepthMask(GL_FALSE);
    gl.Color4fv(k.colour);
    if (k.logicOp) gl.Enable(GL_COLOR_LOGIC_OP);
    gl.LogicOp(static_cast<GLenum>(k.logicMode));
    if (!k.depthTest) gl.Disable(GL_DEPTH_TEST);
    gl.CallList(k.list);
    gl.PopAttrib();
    endOverlay(false);
  }
  gl.Finish();
  dropOverlays(view);
}

void Renderer::dropOverlays(int view) {
  auto it = kept_.find(view);
  if (it == kept_.end()) return;
  const GlApi& gl = api();
  for (const KeptOverlay& k : it->second) gl.DeleteLists(k.list, 1);
  it->second.clear();
}

std::string writePng(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                     int height) {
  platform::AtomicFile file{std::filesystem::path(path)};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // libpng reports errors by longjmp; only a volatile survives it with its value.
  volatile bool ok = png && info && !file.failed();
  if (ok && setjmp(png_jmpbuf(png))) ok = false;
  if (ok) {
    // Into the atomic file, whose first error is the one reported.
    png_set_write_fn(
        png, &file,
        [](png_structp p, png_bytep data, png_size_t size) {
          static_cast<platform::AtomicFile*>(png_get_io_ptr(p))->write(data, size);
        },
        [](png_structp) {});
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int r = 0; r < height; ++r)
      png_write_row(png, &rgba[static_cast<std::size_t>(r) * width * 4]);
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  // Without commit() the temporary is removed: nothing partial is left either way.
  if (!ok && !file.failed()) return path + ": cannot be written: the image could not be encoded";
  const std::string problem = file.commit();
  return problem.empty() ? problem : path + ": cannot be written: " + problem;
}

}  // namespace tessel::studio
