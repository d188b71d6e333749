// Studio's one drawing seam: every OpenGL call lives here, OpenGL 1.1 only (immediate mode and
// vertex arrays), so the offscreen Mesa context and a window context draw the same way.
//
// [SECTION] contexts
// [SECTION] renderer
#pragma once

#include <chrono>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "studio/scene/camera.h"
#include "studio/render/gl_api.h"
#include "studio/render/manipulator_geometry.h"
#include "studio/render/picking.h"
#include "studio/render/display_mode.h"
#include "studio/render/frame_budget.h"
#include "studio/render/level_builder.h"
#include "studio/render/level_of_detail.h"
#include "studio/render/selection_order.h"
#include "studio/scene/scene.h"

namespace tessel::studio {

// The colours a person may choose (Edit > Preferences), 8 bits a channel.
using Rgb = std::array<std::uint8_t, 3>;
struct Palette {
  Rgb background{41, 43, 51};
  Rgb selectedObject{237, 204, 140};  // a selected mesh or point cloud, whole
  Rgb selection{242, 89, 38};         // selected faces, vertices, edges and points
  bool operator==(const Palette&) const = default;
};

// A rectangle of the frame in pixels, origin top left.
struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// [SECTION] contexts

class GlContext {
 public:
  virtual ~GlContext() = default;
  virtual bool makeCurrent() = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  // Shows what was drawn (a window swaps buffers; offscreen there is nothing to do).
  virtual void present() {}
  // An OpenGL entry point of this context; null when it has none.
  virtual void* procAddress(const char* name) = 0;
  // The view about to be drawn or read. A context with one surface for all views ignores it; a
  // window with a surface per view makes that view's surface the one makeCurrent binds.
  virtual void useView(int) {}
  virtual int viewInUse() const { return 0; }
  // The framebuffer object makeCurrent draws into: a window view's surface is one the toolkit
  // shows; 0 for the context's own.
  virtual GLuint framebuffer() const { return 0; }
};

// Draws into memory through Mesa's OSMesa, no display needed.
class OffscreenContext final : public GlContext {
 public:
  // Null when Mesa cannot make a context of that size.
  static std::unique_ptr<OffscreenContext> create(int width, int height, std::string* error);
  ~OffscreenContext() override;
  bool makeCurrent() override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  void* procAddress(const char* name) override;

 private:
  OffscreenContext() = default;
  void* context_ = nullptr;
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> pixels_;  // RGBA, bottom row first
};

// [SECTION] renderer

// A manipulator as drawn: the hovered handle and the dragged one in the highlight colour.
struct ManipulatorDrawing {
  ManipulatorKind kind = ManipulatorKind::None;
  ManipulatorPose pose;
  ManipulatorHandle hover = ManipulatorHandle::None, picked = ManipulatorHandle::None;
};

struct DrawOptions {
  bool highlightSelection = true;
};

class Renderer {
 public:
  explicit Renderer(GlContext& context) : context_(context) {}

  // Clears `rect` and draws the scene through `camera` into it, lit by the scene's lights and
  // the view's evaluation light (`evalLight`: towards the light, eye space), with `manipulator`
  // (when given) over it. False when, drawing in pieces, only the first piece is drawn: the rest
  // follow through continuePieces.
  bool drawView(Scene& scene, const Camera& camera, const PixelRect& rect, bool active,
                const Vec3& evalLight = defaultEvalLight(),
                const ManipulatorDrawing* manipulator = nullptr);
  static Vec3 defaultEvalLight() { return normalized(Vec3{0.4, 0.5, 1.0}); }
  // The depth of the last drawing of `rect`, as distances from the eye.
  DepthImage readDepth(const Camera& camera, const Scene& scene, const PixelRect& rect);
  // Draws the depth of the scene's surfaces alone (no markers, points, lines or overlays; the
  // colours are left as they are) into `rect` and reads it back, as readDepth does.
  DepthImage surfaceDepth(const Scene& scene, const Camera& camera, const PixelRect& rect);
  // The surface point under pixel (x, y) of the view's last drawing (`view` its index), from one
  // value of its depth buffer; nothing where no surface was drawn.
  std::optional<Vec3> surfacePointAt(const Scene& scene, const Camera& camera,
                                     const PixelRect& rect, int view, int x, int y);
  // RGBA rows of `rect`, top row first.
  std::vector<std::uint8_t> readPixels(const PixelRect& rect);

  // Sets up `rect` for overlay drawing in the view's pixel coordinates (origin top left, a
  // vertex at (x, y) lands on the centre of pixel (x, y)); the drawing state is the caller's.
  void beginOverlay(const PixelRect& rect);
  // `finish`: the overlay is drawn before this returns.
  void endOverlay(bool finish = true);
  // Draws the manipulator over what `rect` shows, kManipulatorPixels long whatever the zoom,
  // without touching the depth buffer.
  void drawManipulator(const ManipulatorDrawing& manipulator, const Camera& camera,
                       const PixelRect& rect);

  // An overlay over view `view` (an index) that has not been drawn yet: what the caller draws
  // until endKeptOverlay is kept, with the colour and logic operation set around it, instead of
  // landing on stale pixels; replayOverlays puts every kept overlay back, in order, over the
  // view's next drawing. False when the view keeps too many already: draw it and overlay it
  // directly then.
  bool keepOverlay(int view, const PixelRect& rect);
  void endKeptOverlay();
  void replayOverlays(int view, const PixelRect& rect);
  // A new drawing of the view replaces what the kept overlays were drawn over.
  void dropOverlays(int view);
  static constexpr std::size_t kMaxKeptOverlays = 4096;

  GlContext& context() { return context_; }

  // While the camera moves, large meshes draw as a level of detail (level_of_detail.h) whose
  // size follows the measured frame time (frame_budget.h), so a frame keeps up with the pointer;
  // takeReduced says whether any frame since the last full one drew a level, i.e. whether the
  // views need drawing again when the camera stops; it answers once for each run of such frames.
  void setMoving(bool moving) { moving_ = moving; }
  // How the next drawView shows meshes (each view keeps its own; the host sets it per view).
  void setDisplay(DisplayMode mode) { display_ = mode; }
  void setPalette(const Palette& palette) { palette_ = palette; }
  // The view (an index) the next drawView draws, and whether a still frame of it may be drawn in
  // pieces: the first piece by drawView, each next one by continuePieces, which answers true
  // once the frame is complete (and shown, kept overlays and all). Reading the frame's pixels or
  // depth, or drawing over it, completes it first, as does drawing another view.
  void setView(int view, bool pieces) { view_ = view, pieces_ = pieces; }
  bool continuePieces();
  void completePieces();
  bool refining() const { return refining_.has_value(); }
  int refiningView() const { return refining_ ? refining_->frame.view : -1; }
  // The pieces go into a framebuffer of the renderer's own, one per view, and the frame is copied
  // to the view's surface (colour and depth) once complete: until then a repaint shows the last
  // complete frame. A view whose GL context was made anew (its widget moved to another window)
  // forgets the one it had, which went with the old context.
  void forgetPieceTarget(int view) { targets_.erase(view); }
  // Triangles a piece, or a moving frame, draws instead of what the measured frame time allows
  // (0: measured), for tests that must not depend on the machine's speed.
  void setPieceTriangles(std::uint64_t n) { pieceTriangles_ = n; }
  void setMovingTriangles(std::uint64_t n) { movingTriangles_ = n; }
  // The time a moving frame aims at (Edit > Preferences): longer shows finer levels while the
  // camera moves, shorter follows the pointer more closely.
  void setMovingFrameSeconds(double seconds) { movingFrameSeconds_ = seconds; }
  double movingFrameSeconds() const { return movingFrameSeconds_; }
  // What the last frame or piece drew, in triangles, and how long it took.
  std::uint64_t lastDrawn() const { return lastDrawn_; }
  double lastSeconds() const { return lastSeconds_; }
  // The colour of a face seen from behind: a muted blue, lit from both sides like the front but
  // never darker than its own glow, so a folded sliver reads as a back side, not a black speck.
  static constexpr float kBackFace[3] = {0.42f, 0.47f, 0.62f};
  static constexpr float kBackGlow = 0.35f;
  bool takeReduced() { return std::exchange(drewReduced_, false); }
  // The most triangles one draw call hands the rasteriser (see drawMesh).
  static constexpr std::uint64_t kFlushTriangles = std::uint64_t{1} << 16;
  // A large mesh's levels are built on a thread of their own (level_builder.h), started by the
  // first moving frame that needs them, or with `ahead` by its first still frame (a window, where
  // moving frames follow); until they are there a moving frame draws a sample of the faces.
  void setLevelsAhead(bool ahead) { levelsAhead_ = ahead; }
  // Before `mesh`'s positions or faces change, or it leaves the scene: a build reading them stops
  // and is waited for. The renderer's owner calls stopLevelBuilds before the meshes go.
  void meshChanging(const Mesh& mesh);
  void stopLevelBuilds();
  // Waits for the levels being built (benchmarks and tests that draw a level, not the sample).
  void waitForLevels();
  // Whether a build reads a mesh now.
  bool buildingLevels() const;

 private:
  // The context made current and its entry points, looked up on first use.
  const GlApi& api();
  const std::vector<float>& normalsFor(const Entity& entity);
  // Whether faces seen from behind take the back-face colour (else the front's, as the
  // selection does).
  void backFaces(bool ownColour);
  // Draws triangles [from, to) of the mesh as a still frame orders them (or, moving, a level of
  // it); `last`: the mesh's last span, which draws what goes over its triangles (holes: boundary
  // edges outlined; vertices: every vertex as a dot; selected vertices and edges).
  void drawMesh(const Entity& entity, bool selected, bool holes, bool vertices,
                std::uint64_t from, std::uint64_t to, bool last);
  void drawMeshMarks(const Mesh& mesh, bool holes, bool vertices);
  void drawPoints(const Entity& entity, bool selected);
  void drawMarkers(const Entity& entity, bool selected);
  // The scene's lights on the lights the context has beside the evaluation light (GL_LIGHT0);
  // the modelview holds the camera.
  void setSceneLights(const Scene& scene);
  // Light lines every kGridSpacing pixels over the view, under the scene.
  void drawGrid(const PixelRect& rect);
  // The current map of a mesh as colours per vertex (#V by 3); null when it has none.
  const std::vector<std::uint8_t>* mapColours(const Entity& entity);
  // The entity's frame as three axes from its origin (x red, y green, z blue), `size` long.
  void drawTripod(const CoordSys& frame, double size, bool selected);

  GlContext& context_;
  GlApi gl_;
  bool loaded_ = false;
  struct NormalCache {
    std::uint64_t revision = 0;
    std::vector<float> normals;
  };
  std::unordered_map<std::uint32_t, NormalCache> normals_;
  struct ColourCache {
    std::uint64_t revision = ~std::uint64_t{0};
    std::vector<std::uint8_t> colours;
  };
  std::unordered_map<std::uint32_t, ColourCache> colours_;
  GLint maxLights_ = 0;
  // A mesh's positions and normals in buffer objects, built once per topology revision; drawing
  // a frame then sends no vertex data. The triangles are drawn in the order a frame draws them
  // (selection_order.h), for the face flags `order` summarizes: the mesh's own when that is the
  // order, else an ordered copy.
  struct LevelRange {
    std::uint32_t offset = 0, unselected = 0, shown = 0;  // in triangles
  };
  struct MeshBuffers {
    std::uint64_t revision = 0;
    GLuint vertices = 0, normals = 0;
    bool ordered = false;
    // The frame's order is the mesh's own, drawn from its triangles; else `triangles` holds it.
    bool ownOrder = false;
    std::vector<std::uint32_t> triangles;
    FlagSummary order;
    std::uint32_t shown = 0, unselected = 0;
    // The levels of detail, built on the first moving frame that needs them, all in one index
    // buffer, each level ordered as the triangles are.
    std::uint64_t levelsRevision = 0;
    std::vector<DetailLevel> levels;
    GLuint levelBuffer = 0;
    bool levelsOrdered = false;
    std::vector<LevelRange> ranges;
    std::unique_ptr<LevelBuilder> builder;
    // The sample moving frames draw while the levels are built: a corner of every stride-th shown
    // face, unselected ones first, for the flags `sampleOrder` summarizes.
    std::uint64_t sampleRevision = 0;
    std::uint32_t sampleStride = 0, sampleUnselected = 0;
    FlagSummary sampleOrder;
    std::vector<std::uint32_t> sample;
  };
  // Null when the context has no buffer objects or the mesh has no revision to key them by. Once
  // the normals are in a buffer, their client-side copy goes.
  MeshBuffers* buffersFor(const Entity& entity);
  // The same, with the triangles in frame order for the mesh's flags as they are now.
  MeshBuffers* orderedBuffersFor(const Entity& entity);
  // What a moving frame draws of the mesh.
  MovingDrawing movingDrawingFor(const Entity& entity, MeshBuffers& buffers);
  // Whether the mesh's levels are there: taken from their build when it is done, else the build
  // started (or left running).
  bool levelsBuilt(const Entity& entity, MeshBuffers& buffers);
  // The levels into their buffer, each in frame order for the mesh's flags.
  void orderLevels(const Entity& entity, MeshBuffers& buffers);
  // The buffers' sample for `stride`, made anew when the mesh, the stride or the flags changed.
  const std::vector<std::uint32_t>& sampleFor(const Mesh& mesh, MeshBuffers& buffers,
                                              std::uint32_t stride);
  // The triangles a still frame draws of an entity (0 for what is not drawn from buffers).
  std::uint64_t stillTriangles(const Entity& entity);
  std::unordered_map<std::uint32_t, MeshBuffers> buffers_;
  bool moving_ = false, drewReduced_ = false, levelsAhead_ = false;
  // The moving frames' budget and what it is shared out over (the faces of large meshes).
  std::uint64_t budget_ = kLeastBudget, largeFaces_ = 0;
  std::uint64_t drawn_ = 0, lastDrawn_ = 0;
  double lastSeconds_ = 0;
  void noteFrame(std::chrono::steady_clock::time_point start);
  // A frame as drawn, kept while it is drawn in pieces.
  struct Frame {
    Scene* scene = nullptr;
    Camera camera;
    PixelRect rect;
    bool active = false;
    Vec3 evalLight;
    std::optional<ManipulatorDrawing> manipulator;
    DisplayMode display = DisplayMode::Smooth;
    int view = 0;
  };
  struct Refinement {
    Frame frame;
    std::vector<std::uint32_t> ids;    // the entities drawn, in order
    std::vector<std::uint64_t> sizes;  // their triangles
    PieceCursor cursor;
  };
  // Clears the view (`clear`) and sets up its camera, lights and materials.
  void beginFrame(const Frame& frame, bool clear);
  void drawSpans(const Frame& frame, const std::vector<std::uint32_t>& ids,
                 const std::vector<std::uint64_t>& sizes, const std::vector<PieceSpan>& spans);
  // What goes over the scene: frames, the manipulator, the active view's outline.
  void endFrame(const Frame& frame);
  std::optional<Refinement> refining_;
  // The framebuffer a view's pieces are drawn into, sized to the context's surface.
  struct PieceTarget {
    GLuint framebuffer = 0, colour = 0, depth = 0;
    int width = 0, height = 0;
  };
  std::unordered_map<int, PieceTarget> targets_;
  // While a piece is drawn, the framebuffer it goes to (0: the context's own); api() binds it
  // again after each makeCurrent, which binds the context's own.
  GLuint drawTarget_ = 0;
  // Binds the view's piece framebuffer, made or resized for the context's surface; false when the
  // context cannot have one.
  bool bindPieceTarget(int view);
  // Back to the context's own framebuffer, and with `show`, the complete frame copied into it.
  void leavePieceTarget(const Frame& frame, bool show);
  int view_ = 0;
  bool pieces_ = false, inFrame_ = false;
  std::uint64_t pieceTriangles_ = 0, movingTriangles_ = 0;
  double movingFrameSeconds_ = kMovingFrameSeconds;
  DisplayMode display_ = DisplayMode::Smooth;
  Palette palette_;
  struct KeptOverlay {
    GLuint list = 0;
    GLfloat colour[4] = {1, 1, 1, 1};
    GLint logicMode = GL_COPY;
    GLboolean logicOp = GL_FALSE, depthTest = GL_FALSE;
  };
  std::unordered_map<int, std::vector<KeptOverlay>> kept_;  // by view index
};

// Writes RGBA rows (top row first) as a PNG; an empty string on success, else the problem.
// Written to a temporary file and renamed, so a failed write leaves no partial image.
std::string writePng(const std::string& path, const std::vector<std::uint8_t>& rgba, int width,
                     int height);

}  // namespace tessel::studio
