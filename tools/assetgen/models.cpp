// The game's models and the textures beside them, sized for where the level builder and the ball's
// physics put them (world units; a block is 20 x 10 x 20 and the ball stands on a block's top):
//   ball: origin at its bottom (the physics sets the origin on the ground), 8 wide and high;
//   the ball's burst: starts where the ball stood, on the same origin;
//   paint pots, plasma, monsters, heart centre, the blast: origin at their middle;
//   boosts, warp, hearts 1-4: origin at their bottom (boosts are 1 high, and the ball is set down on
//     them at that height).
// Every model faces +z, the direction of angle 0.
#include <cmath>
#include <string>

#include "tools/assetgen/art_style.h"
#include "tools/assetgen/generators.h"
#include "tools/assetgen/random.h"
#include "tools/assetgen/text.h"
#include "tools/assetgen/xmodel.h"

namespace {

XMaterial Plain(Colour colour, double glow = 0, double shine = 0.4) {
  XMaterial m;
  m.diffuse = {colour.r, colour.g, colour.b, colour.a};
  m.specular = {shine, shine, shine};
  m.emissive = {colour.r * glow, colour.g * glow, colour.b * glow};
  return m;
}

XMaterial Textured(const std::string& file, double glow = 0) {
  XMaterial m = Plain(Rgb(255, 255, 255), glow);
  m.texture = file;
  return m;
}

void Write(const Output& out, const std::string& name, const XModel& model) {
  const std::string text = model.Text();
  out.WriteText("Models\\" + name, text);
}

// ---- Textures of the models ----

Canvas BallSkin() {
  Canvas c(128, 128);
  c.VerticalGradient(0, 0, 128, 128, Rgb(210, 200, 240), Rgb(80, 60, 140));
  for (int x = 0; x < 128; x += 16) c.FillRect(x, 0, x + 1, 128, Rgb(40, 20, 90, 0.6f));
  for (int y = 16; y < 128; y += 24) c.FillRect(0, y, 128, y + 1, Rgb(40, 20, 90, 0.6f));
  c.FillRect(0, 60, 128, 68, Rgb(8, 247, 244));
  c.FillRect(0, 62, 128, 66, Rgb(220, 255, 255));
  // The front (+z) lies on the texture's left and right edges: a light there shows where the ball
  // will go.
  for (int x : {0, 128}) c.Circle(x, 46, 9, Rgb(255, 255, 255));
  for (int x : {0, 128}) c.Circle(x, 46, 6, Rgb(255, 230, 120));
  return c;
}

Canvas MonsterHide(Colour base, Colour spot, uint32_t seed) {
  Canvas c(128, 128, base);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      const double n = TiledNoise(x / 16.0, y / 16.0, 8, 4, seed);
      if (n > 0.58) c.Blend(x, y, spot, float(std::min(1.0, (n - 0.58) * 8)));
      c.Blend(x, y, Rgb(0, 0, 0), float(0.25 * TiledNoise(x / 4.0, y / 4.0, 32, 2, seed + 3)));
    }
  return c;
}

// Chevrons pointing to the texture's top, which the pads put at their front (+z).
Canvas Chevrons(Colour back, Colour arrow, bool rings) {
  Canvas c(64, 64, back);
  for (int i = 0; i < 3; ++i) {
    const double y = 10 + i * 18;
    c.Polygon({{32, y - 8}, {56, y + 8}, {56, y + 14}, {32, y - 2}, {8, y + 14}, {8, y + 8}}, arrow);
  }
  if (rings) c.Ring(32, 32, 26, 29, WithAlpha(arrow, 0.7f));
  c.FillRect(0, 0, 64, 2, Rgb(0, 0, 0, 0.5f));
  c.FillRect(0, 62, 64, 64, Rgb(0, 0, 0, 0.5f));
  return c;
}

Canvas Fire() {
  Canvas c(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double n = TiledNoise(x / 8.0, y / 8.0, 8, 4, 91);
      c.At(x, y) = n > 0.55 ? Mix(Rgb(255, 140, 20), Rgb(255, 250, 200), float((n - 0.55) * 2.2))
                            : Mix(Rgb(120, 10, 0), Rgb(255, 140, 20), float(n / 0.55));
    }
  return c;
}

// ---- Models ----

// The player's gyroscope ball: a core inside two turning rings.
XModel Ball() {
  XModel m;
  const int skin = m.Material(Textured("Zevo.jpg"));
  const int cyan = m.Material(Plain(Rgb(60, 240, 255), 0.8));
  const int violet = m.Material(Plain(Rgb(180, 90, 255), 0.6));
  XFrame* core = m.root.Child("Core", {0, 4, 0});
  core->mesh.Sphere({0, 0, 0}, {2.9, 2.9, 2.9}, 24, 16, skin);
  XFrame* outer = m.root.Child("OuterRing", {0, 4, 0});
  outer->mesh.Torus({0, 0, 0}, 3.72, 0.26, 40, 8, violet);
  outer->mesh.Transform(0, {0, 0, 90}, {0, 0, 0});
  AddSpin(outer->keys, 240, {0, 720, 0});
  XFrame* inner = m.root.Child("InnerRing", {0, 4, 0});
  inner->mesh.Torus({0, 0, 0}, 3.25, 0.22, 36, 8, cyan);
  AddSpin(inner->keys, 240, {1080, 0, 0});
  return m;
}

// The ball bursting: shards of its core and rings flying out and falling, once (about 2.5 s).
XModel BallBurst() {
  XModel m;
  const int skin = m.Material(Textured("Zevo.jpg"));
  const int cyan = m.Material(Plain(Rgb(60, 240, 255), 0.8));
  Random random(3001);
  constexpr int kLength = 150;
  for (int i = 0; i < 14; ++i) {
    XFrame* shard = m.root.Child("Shard" + std::to_string(i), {0, 4, 0});
    const double size = random.Range(0.9, 1.6);
    shard->mesh.Bipyramid({0, 0, 0}, size, size * 0.8, size * 1.2, 3 + i % 3, i < 10 ? skin : cyan);
    const double angle = random.Range(0, 2 * M_PI), speed = random.Range(0.25, 0.55), lift = random.Range(0.3, 0.7);
    for (int t = 0; t <= kLength; t += 10) {
      const Vec3 p = {std::sin(angle) * speed * t, 4 + lift * t - 0.009 * t * t, std::cos(angle) * speed * t};
      shard->keys.position.push_back({t, p});
      const double s = 1.0 - 0.7 * t / kLength;
      shard->keys.scale.push_back({t, {s, s, s}});
    }
    AddSpin(shard->keys, kLength, {random.Range(-720, 720), random.Range(-540, 540), 0});
  }
  return m;
}

// The blast the game spreads out flat and fades: a low dome of fire over a shock ring.
XModel Blast() {
  XModel m;
  const int fire = m.Material(Textured("Explosion.jpg", 0.9));
  XFrame* blast = m.root.Child("Blast");
  blast->mesh.Sphere({0, 0, 0}, {2.2, 5, 2.2}, 20, 10, fire);
  blast->mesh.Annulus({0, 0.4, 0}, 2.2, 3.4, 24, fire, 3);
  AddSpin(blast->keys, 180, {0, 360, 0});
  return m;
}

// The goal pad's heart: an outer crystal (drawn see-through), a colour band showing the ball's
// colour, two half walls showing the music's left and right level (the game turns them upside down,
// so the level fills them from below), and the centre gem coloured like the ball.
XModel HeartCrystal() {
  XModel m;
  const int glass = m.Material(Plain(Rgb(150, 230, 255), 0.5, 0.9));
  XFrame* crystal = m.root.Child("Crystal");
  crystal->mesh.Bipyramid({0, 7, 0}, 7.5, 7, 7, 6, glass);
  AddSpin(crystal->keys, 480, {0, 360, 0});
  return m;
}

XModel HeartBand() {
  XModel m;
  const int band = m.Material(Plain(Rgb(255, 255, 255), 0.4));
  XFrame* ring = m.root.Child("Band");
  ring->mesh.CylinderWall({0, 1.5, 0}, 6.2, 3, 0, 360, 48, true, band);
  return m;
}

XModel HeartHalf(bool left) {
  XModel m;
  const int wall = m.Material(Plain(Rgb(255, 255, 255), 0.4));
  XFrame* half = m.root.Child(left ? "LeftLevel" : "RightLevel");
  half->mesh.CylinderWall({0, 6, 0}, 5, 12, left ? 185 : 5, left ? 355 : 175, 20, true, wall);
  return m;
}

XModel HeartCentre() {
  XModel m;
  const int gem = m.Material(Plain(Rgb(255, 255, 255), 0.3, 0.9));
  XFrame* centre = m.root.Child("Gem");
  centre->mesh.Bipyramid({0, 0, 0}, 4, 4.5, 4.5, 8, gem);
  AddSpin(centre->keys, 240, {0, -360, 0});
  return m;
}

// A spiked mine that rises and sinks in its place.
XModel MonsterA() {
  XModel m;
  const int hide = m.Material(Textured("MonsterA.jpg"));
  const int steel = m.Material(Plain(Rgb(70, 70, 80), 0, 0.9));
  const int eye = m.Material(Plain(Rgb(255, 230, 60), 1.0));
  XFrame* body = m.root.Child("Body");
  body->mesh.Sphere({0, 0, 0}, {3, 3, 3}, 20, 14, hide);
  body->mesh.Sphere({-1.1, 0.8, 2.6}, {0.55, 0.55, 0.4}, 10, 6, eye);
  body->mesh.Sphere({1.1, 0.8, 2.6}, {0.55, 0.55, 0.4}, 10, 6, eye);
  AddSpin(body->keys, 240, {0, 360, 0});
  XFrame* spikes = body->Child("Spikes");
  const Vec3 directions[] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},  {0, -1, 0},  {0.6, 0, -1}, {-0.6, 0, -1},
                             {1, 1, 1},  {-1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {1, -1, 1},   {-1, -1, 1},
                             {1, -1, -1}, {-1, -1, -1}};
  for (Vec3 d : directions) {
    const Vec3 n = Normalised(d);
    spikes->mesh.Spike(n * 2.6, n, 0.7, 2.3, 6, steel);
  }
  for (int t = 0; t <= 240; t += 30) {
    const double s = t % 60 == 30 ? 1.12 : 1.0;
    spikes->keys.scale.push_back({t, {s, s, s}});
  }
  return m;
}

// A finned hunter that swims along its path, eyes ahead.
XModel MonsterB() {
  XModel m;
  const int hide = m.Material(Textured("MonsterB.jpg"));
  const int white = m.Material(Plain(Rgb(250, 250, 250), 0.3));
  const int black = m.Material(Plain(Rgb(10, 10, 10)));
  const int fin = m.Material(Plain(Rgb(40, 200, 170), 0.2));
  XFrame* body = m.root.Child("Body");
  body->mesh.Sphere({0, 0, 0}, {3.2, 2.6, 4.4}, 20, 12, hide);
  body->mesh.Spike({0, 0, -3.8}, {0, 0, -1}, 1.3, 2.4, 8, fin);
  for (double side : {-1.0, 1.0}) {
    body->mesh.Sphere({side * 1.3, 1.0, 3.6}, {0.8, 0.8, 0.6}, 10, 8, white);
    body->mesh.Sphere({side * 1.3, 1.0, 4.15}, {0.35, 0.35, 0.2}, 8, 6, black);
  }
  for (int side = 0; side < 2; ++side) {
    const double s = side ? 1.0 : -1.0;
    XFrame* wing = body->Child(side ? "RightFin" : "LeftFin", {s * 2.8, 0.3, 0});
    wing->mesh.Facet({{0, 0, 1.8}, {s * 3.6, 0, 0.2}, {s * 2.2, 0, -1.8}, {0, 0, -1.2}}, {0, 1, 0}, fin);
    wing->mesh.Facet({{0, 0, 1.8}, {s * 3.6, 0, 0.2}, {s * 2.2, 0, -1.8}, {0, 0, -1.2}}, {0, -1, 0}, fin);
    for (int t = 0; t <= 60; t += 15) {
      const double flap = (t % 30 == 0 ? 0 : (t == 15 ? 28 : -28)) * s;
      wing->keys.rotation.push_back({t, {0, 0, flap}});
    }
  }
  return m;
}

// A paint pot, tumbling in the air: a can with a handle, full to the brim.
XModel PaintPot(Colour paint) {
  XModel m;
  const int can = m.Material(Plain(Rgb(190, 195, 205), 0, 0.9));
  const int colour = m.Material(Plain(paint, 0.35, 0.6));
  XFrame* pot = m.root.Child("Pot");
  pot->mesh.Cylinder({0, -0.5, 0}, 3, 6, 24, true, can);
  pot->mesh.Cylinder({0, -1.3, 0}, 3.05, 2.6, 24, false, colour);
  pot->mesh.Annulus({0, 2.55, 0}, 0.2, 2.9, 24, colour);
  pot->mesh.Torus({0, 2.5, 0}, 3.0, 0.2, 24, 6, can);
  const size_t handle = pot->mesh.VertexCount();
  pot->mesh.Torus({0, 0, 0}, 2.6, 0.18, 24, 6, can);
  pot->mesh.Transform(handle, {0, 0, 90}, {0, 0.9, 0});
  return m;
}

// Plasma: an orb in a turning ring; the game colours it and adds its sphere map.
XModel Plasma() {
  XModel m;
  const int orb = m.Material(Plain(Rgb(255, 255, 255), 0.3, 0.9));
  XFrame* core = m.root.Child("Orb");
  core->mesh.Sphere({0, 0, 0}, {2.6, 2.6, 2.6}, 18, 12, orb);
  XFrame* ring = m.root.Child("Ring");
  ring->mesh.Torus({0, 0, 0}, 3.4, 0.25, 32, 6, orb);
  ring->mesh.Transform(0, {30, 0, 0}, {0, 0, 0});
  AddSpin(ring->keys, 120, {0, 360, 0});
  return m;
}

// A launch pad one unit high, arrows to the front, lights along its sides.
XModel BoostPad(const std::string& texture, bool vertical) {
  XModel m;
  const int top = m.Material(Textured(texture, 0.3));
  const int edge = m.Material(Plain(Rgb(60, 60, 70), 0, 0.8));
  const int light = m.Material(Plain(vertical ? Rgb(60, 240, 255) : Rgb(255, 210, 40), 0.9));
  XFrame* pad = m.root.Child("Pad");
  pad->mesh.Facet({{-8, 1, -8}, {-8, 1, 8}, {8, 1, 8}, {8, 1, -8}}, {0, 1, 0}, top);
  pad->mesh.Facet({{-8, 0, -8}, {-8, 1, -8}, {8, 1, -8}, {8, 0, -8}}, {0, 0, -1}, edge);
  pad->mesh.Facet({{-8, 0, 8}, {8, 0, 8}, {8, 1, 8}, {-8, 1, 8}}, {0, 0, 1}, edge);
  pad->mesh.Facet({{-8, 0, -8}, {-8, 0, 8}, {-8, 1, 8}, {-8, 1, -8}}, {-1, 0, 0}, edge);
  pad->mesh.Facet({{8, 0, -8}, {8, 1, -8}, {8, 1, 8}, {8, 0, 8}}, {1, 0, 0}, edge);
  for (double x : {-7.6, 7.6}) pad->mesh.Box({x - 0.4, 1, -7}, {x + 0.4, 1.5, 7}, light);
  if (vertical) {
    XFrame* ring = m.root.Child("Ring", {0, 1.4, 0});
    ring->mesh.Torus({0, 0, 0}, 5, 0.35, 32, 6, light);
    AddSpin(ring->keys, 60, {0, 360, 0});
    ring->keys.position = {{0, {0, 1.4, 0}}, {30, {0, 2.4, 0}}, {60, {0, 1.4, 0}}};
  }
  return m;
}

// The warp: a disc the game textures with its swirl (scrolled towards the middle) in a ring with four
// posts.
XModel Warp() {
  XModel m;
  const int swirl = m.Material(Plain(Rgb(255, 255, 255), 0.5));
  XFrame* pad = m.root.Child("Warp");
  pad->mesh.Annulus({0, 1, 0}, 0.3, 8, 48, swirl, 3);
  pad->mesh.CylinderWall({0, 0.5, 0}, 8, 1, 0, 360, 48, false, swirl);
  pad->mesh.Torus({0, 1, 0}, 8, 0.5, 48, 8, swirl);
  for (int i = 0; i < 4; ++i) {
    const double a = (45 + 90 * i) * M_PI / 180;
    const double x = 8.4 * std::sin(a), z = 8.4 * std::cos(a);
    pad->mesh.Box({x - 0.5, 0, z - 0.5}, {x + 0.5, 4, z + 0.5}, swirl);
  }
  return m;
}

}  // namespace

void MakeModels(const Output& out) {
  out.WriteJpeg("Models\\Zevo.jpg", BallSkin().Opaque());
  out.WriteJpeg("Models\\MonsterA.jpg", MonsterHide(Rgb(200, 60, 30), Rgb(255, 170, 40), 51).Opaque());
  out.WriteJpeg("Models\\MonsterB.jpg", MonsterHide(Rgb(30, 120, 110), Rgb(120, 255, 200), 52).Opaque());
  out.WriteJpeg("Models\\Boost.jpg", Chevrons(Rgb(40, 30, 10), Rgb(255, 200, 30), false).Opaque());
  out.WriteJpeg("Models\\BoostV.jpg", Chevrons(Rgb(10, 30, 50), Rgb(60, 230, 255), true).Opaque());
  out.WriteJpeg("Models\\Explosion.jpg", Fire().Opaque());
  Write(out, "Zevo.x", Ball());
  Write(out, "GryoExplode.x", BallBurst());
  Write(out, "Explosion.x", Blast());
  Write(out, "Heart1.x", HeartCrystal());
  Write(out, "Heart2.x", HeartBand());
  Write(out, "Heart3.x", HeartHalf(true));
  Write(out, "Heart4.x", HeartHalf(false));
  Write(out, "HeartCenter.x", HeartCentre());
  Write(out, "MonsterA.x", MonsterA());
  Write(out, "MonsterB.x", MonsterB());
  // Play loads the pots by their short names and the editor by their long ones.
  const std::pair<const char*, Colour> pots[] = {
      {"Red", Rgb(255, 30, 30)}, {"Green", Rgb(30, 230, 40)}, {"Blue", Rgb(40, 80, 255)}};
  for (const auto& [name, colour] : pots) {
    const XModel pot = PaintPot(colour);
    Write(out, std::string("P") + name + ".x", pot);
    Write(out, std::string("Paint") + name + ".x", pot);
  }
  Write(out, "Plasma.x", Plasma());
  Write(out, "Boost.x", BoostPad("Boost.jpg", false));
  Write(out, "BoostV.x", BoostPad("BoostV.jpg", true));
  Write(out, "Warp.x", Warp());
}
