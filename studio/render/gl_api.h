// The OpenGL 1.1 entry points Studio draws with, taken from the context that is current, so that
// the offscreen Mesa context and a window's context each get their own implementation's.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <type_traits>

namespace tessel::studio {

class GlContext;

struct GlApi {
  decltype(&::glArrayElement) ArrayElement = nullptr;
  decltype(&::glBegin) Begin = nullptr;
  decltype(&::glClear) Clear = nullptr;
  decltype(&::glClearColor) ClearColor = nullptr;
  decltype(&::glClearDepth) ClearDepth = nullptr;
  decltype(&::glColor3f) Color3f = nullptr;
  decltype(&::glColor3fv) Color3fv = nullptr;
  decltype(&::glColorMaterial) ColorMaterial = nullptr;
  decltype(&::glColorPointer) ColorPointer = nullptr;
  decltype(&::glGetIntegerv) GetIntegerv = nullptr;
  decltype(&::glDepthFunc) DepthFunc = nullptr;
  decltype(&::glDisable) Disable = nullptr;
  decltype(&::glDisableClientState) DisableClientState = nullptr;
  decltype(&::glDrawArrays) DrawArrays = nullptr;
  decltype(&::glDrawElements) DrawElements = nullptr;
  decltype(&::glEnable) Enable = nullptr;
  decltype(&::glEnableClientState) EnableClientState = nullptr;
  decltype(&::glEnd) End = nullptr;
  decltype(&::glFinish) Finish = nullptr;
  decltype(&::glLightModelfv) LightModelfv = nullptr;
  decltype(&::glLightModeli) LightModeli = nullptr;
  decltype(&::glLightfv) Lightfv = nullptr;
  decltype(&::glLineWidth) LineWidth = nullptr;
  decltype(&::glLoadIdentity) LoadIdentity = nullptr;
  decltype(&::glLoadMatrixd) LoadMatrixd = nullptr;
  decltype(&::glMatrixMode) MatrixMode = nullptr;
  decltype(&::glNormalPointer) NormalPointer = nullptr;
  decltype(&::glOrtho) Ortho = nullptr;
  decltype(&::glPixelStorei) PixelStorei = nullptr;
  decltype(&::glPointSize) PointSize = nullptr;
  decltype(&::glPolygonOffset) PolygonOffset = nullptr;
  decltype(&::glPopMatrix) PopMatrix = nullptr;
  decltype(&::glPushMatrix) PushMatrix = nullptr;
  decltype(&::glReadPixels) ReadPixels = nullptr;
  decltype(&::glScissor) Scissor = nullptr;
  decltype(&::glShadeModel) ShadeModel = nullptr;
  decltype(&::glTranslatef) Translatef = nullptr;
  decltype(&::glVertex2f) Vertex2f = nullptr;
  decltype(&::glVertex3d) Vertex3d = nullptr;
  decltype(&::glVertexPointer) VertexPointer = nullptr;
  decltype(&::glViewport) Viewport = nullptr;
  decltype(&::glFlush) Flush = nullptr;
  decltype(&::glColorMask) ColorMask = nullptr;
  decltype(&::glDepthMask) DepthMask = nullptr;
  decltype(&::glMultMatrixd) MultMatrixd = nullptr;
  // Overlays kept for a view not drawn yet (Renderer::keepOverlay).
  decltype(&::glGenLists) GenLists = nullptr;
  decltype(&::glNewList) NewList = nullptr;
  decltype(&::glEndList) EndList = nullptr;
  decltype(&::glCallList) CallList = nullptr;
  decltype(&::glDeleteLists) DeleteLists = nullptr;
  decltype(&::glGetFloatv) GetFloatv = nullptr;
  decltype(&::glIsEnabled) IsEnabled = nullptr;
  decltype(&::glLogicOp) LogicOp = nullptr;
  decltype(&::glPushAttrib) PushAttrib = nullptr;
  decltype(&::glPopAttrib) PopAttrib = nullptr;
  decltype(&::glColor4fv) Color4fv = nullptr;
  decltype(&::glMaterialfv) Materialfv = nullptr;
  decltype(&::glPolygonMode) PolygonMode = nullptr;
  // OpenGL 1.5 buffer objects, when the context has them: large meshes then stay on the GPU
  // between frames. Null when it does not, and the arrays are drawn from memory instead.
  PFNGLGENBUFFERSPROC GenBuffers = nullptr;
  PFNGLDELETEBUFFERSPROC DeleteBuffers = nullptr;
  PFNGLBINDBUFFERPROC BindBuffer = nullptr;
  PFNGLBUFFERDATAPROC BufferData = nullptr;

  bool hasBuffers() const { return GenBuffers && DeleteBuffers && BindBuffer && BufferData; }

  // Framebuffer objects, when the context has them: a still frame drawn in pieces is drawn into
  // one of its own and copied to the view's when complete. Null when it does not.
  PFNGLGENFRAMEBUFFERSPROC GenFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC BindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus = nullptr;
  PFNGLGENRENDERBUFFERSPROC GenRenderbuffers = nullptr;
  PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC BindRenderbuffer = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage = nullptr;
  PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer = nullptr;

  bool hasFramebuffers() const { return GenFramebuffers != nullptr; }

  // False when the context lacks one of them.
  template <class Lookup>
  bool load(Lookup lookup) {
    auto get = [&lookup](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(lookup(name));
      return fn != nullptr;
    };
    return get(ArrayElement, "glArrayElement") &&
           get(Begin, "glBegin") &&
           get(Clear, "glClear") &&
           get(ClearColor, "glClearColor") &&
           get(ClearDepth, "glClearDepth") &&
           get(Color3f, "glColor3f") &&
           get(Color3fv, "glColor3fv") &&
           get(ColorMaterial, "glColorMaterial") &&
           get(ColorPointer, "glColorPointer") &&
           get(GetIntegerv, "glGetIntegerv") &&
           get(DepthFunc, "glDepthFunc") &&
           get(Disable, "glDisable") &&
           get(DisableClientState, "glDisableClientState") &&
           get(DrawArrays, "glDrawArrays") &&
           get(DrawElements, "glDrawElements") &&
           get(Enable, "glEnable") &&
           get(EnableClientState, "glEnableClientState") &&
           get(End, "glEnd") &&
           get(Finish, "glFinish") &&
           get(LightModelfv, "glLightModelfv") &&
           get(LightModeli, "glLightModeli") &&
           get(Lightfv, "glLightfv") &&
           get(LineWidth, "glLineWidth") &&
           get(LoadIdentity, "glLoadIdentity") &&
           get(LoadMatrixd, "glLoadMatrixd") &&
           get(MatrixMode, "glMatrixMode") &&
           get(NormalPointer, "glNormalPointer") &&
           get(Ortho, "glOrtho") &&
           get(PixelStorei, "glPixelStorei") &&
           get(PointSize, "glPointSize") &&
           get(PolygonOffset, "glPolygonOffset") &&
           get(PopMatrix, "glPopMatrix") &&
           get(PushMatrix, "glPushMatrix") &&
           get(ReadPixels, "glReadPixels") &&
           get(Scissor, "glScissor") &&
           get(ShadeModel, "glShadeModel") &&
           get(Translatef, "glTranslatef") &&
           get(Vertex2f, "glVertex2f") &&
           get(Vertex3d, "glVertex3d") &&
           get(VertexPointer, "glVertexPointer") &&
           get(Viewport, "glViewport") &&
           get(Flush, "glFlush") &&
           get(ColorMask, "glColorMask") &&
           get(DepthMask, "glDepthMask") &&
           get(MultMatrixd, "glMultMatrixd") &&
           get(GenLists, "glGenLists") &&
           get(NewList, "glNewList") &&
           get(EndList, "glEndList") &&
           get(CallList, "glCallList") &&
           get(DeleteLists, "glDeleteLists") &&
           get(GetFloatv, "glGetFloatv") &&
           get(IsEnabled, "glIsEnabled") &&
           get(LogicOp, "glLogicOp") &&
           get(PushAttrib, "glPushAttrib") &&
           get(PopAttrib, "glPopAttrib") &&
           get(Color4fv, "glColor4fv") &&
           get(Materialfv, "glMaterialfv") &&
           get(PolygonMode, "glPolygonMode") && optional(get);
  }

 private:
  template <class Get>
  bool optional(Get& get) {
    if (!(get(GenBuffers, "glGenBuffers") && get(DeleteBuffers, "glDeleteBuffers") &&
          get(BindBuffer, "glBindBuffer") && get(BufferData, "glBufferData")))
      GenBuffers = nullptr;
    if (!(get(GenFramebuffers, "glGenFramebuffers") &&
          get(DeleteFramebuffers, "glDeleteFramebuffers") &&
          get(BindFramebuffer, "glBindFramebuffer") &&
          get(FramebufferRenderbuffer, "glFramebufferRenderbuffer") &&
          get(CheckFramebufferStatus, "glCheckFramebufferStatus") &&
          get(GenRenderbuffers, "glGenRenderbuffers") &&
          get(DeleteRenderbuffers, "glDeleteRenderbuffers") &&
          get(BindRenderbuffer, "glBindRenderbuffer") &&
          get(RenderbufferStorage, "glRenderbufferStorage") &&
          get(BlitFramebuffer, "glBlitFramebuffer")))
      GenFramebuffers = nullptr;
    return true;
  }
};

}  // namespace tessel::studio
