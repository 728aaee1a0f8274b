// The motion of one sub-step, as templates over a set of operations (UMotionOps.h). No include
// guard, on purpose: a unit includes it once at namespace scope for plain doubles, and the lane
// kernels once within each instruction set's namespace, so that every copy is compiled for the
// instructions it runs on. Include UKartMotion.h and URocketMotion.h first.

// std::max(A, B) and std::min(A, B).
template <class O> typename O::V MotionMax(typename O::V A, typename O::V B) {
  return O::Select(O::Lt(A, B), B, A);
}
template <class O> typename O::V MotionMin(typename O::V A, typename O::V B) {
  return O::Select(O::Lt(B, A), B, A);
}
// std::clamp(X, Lo, Hi).
template <class O> typename O::V MotionClamp(typename O::V X, double Lo, double Hi) {
  const typename O::V lo = O::Set(Lo), hi = O::Set(Hi);
  return O::Select(O::Lt(X, lo), lo, O::Select(O::Lt(hi, X), hi, X));
}
// What SetValue stores.
template <class O> typename O::V MotionBound(typename O::V X, const TMotionBounds& B) {
  if (!(B.Max > B.Min))
    return X;
  const typename O::V lo = O::Set(B.Min), hi = O::Set(B.Max);
  return O::Select(O::Lt(X, lo), lo, O::Select(O::Gt(X, hi), hi, X));
}
// 1, -1 or 0 by the sign of X (0 for NaN).
template <class O> typename O::V MotionSign(typename O::V X) {
  const typename O::V zero = O::Set(0);
  return O::Select(O::Gt(X, zero), O::Set(1), O::Select(O::Lt(X, zero), O::Set(-1), zero));
}

template <class O> void AdvanceKart(TKartMotion<O>& K, const TKartConstants& C) {
  using V = typename O::V;
  // Energy a kart uses per second even at rest.
  constexpr double BaseConsumption = 0.05;
  const double dt = C.Dt;
  const double h = dt * dt / 2;
  const V zero = O::Set(0);
  const V vdt = O::Set(dt);

  // Controls: the decision sets how fast they change, the bounds keep them in range.
  const auto dead = O::Gt(K.Dead, O::Set(0.5));
  K.Power = O::Select(dead, MotionBound<O>(zero, C.Power),
                      MotionBound<O>(K.Power + K.PushPower * vdt, C.Power));
  K.Turn = O::Select(dead, K.Turn, MotionBound<O>(K.Turn + K.PushTurn * vdt, C.Turn));

  // Velocity split at the heading into a forward and a side part.
  const V c0 = K.Cos0, s0 = K.Sin0;
  const V vx = K.VelX, vy = K.VelY;
  V f = c0 * vx + s0 * vy;
  V fx = f * c0, fy = f * s0;
  V sx = vx - fx, sy = vy - fy;

  // Rolling friction grows with forward speed. Kept within [0, 1]: reversing faster than 100
  // pixels per second would otherwise push it past 1 and speed the kart up without bound.
  const V damp =
      MotionClamp<O>(O::Set(1) - O::Set(10 * dt * C.Mu) * (O::Set(1) + O::Set(0.01) * f), 0.0, 1.0);

  // Drive (pixels per second squared) and energy rate (per second).
  const V p = K.Power;
  const V p10 = O::Abs(p) / O::Set(10);
  V a = p;
  V e = p10 * p10 / O::Set(10) + O::Set(BaseConsumption);
  const auto reverse = O::Lt(p, zero);
  // Braking: slows the kart down to a stop, never into reverse within this sub-step.
  const auto braking = O::And(reverse, O::Gt(f, zero));
  const V braked = MotionMax<O>(
      f - O::Set(dt * C.Mu * 100 * C.Power.Max) * O::Abs(p / O::Set(C.Power.Min)), zero);
  f = O::Select(braking, braked, f);
  fx = O::Select(braking, f * c0, fx);
  fy = O::Select(braking, f * s0, fy);
  e = O::Select(braking, O::Set(BaseConsumption), e);
  // Reverse drive at a tenth of the force.
  a = O::Select(braking, zero, O::Select(reverse, p / O::Set(10), a));

  // Energy for this sub-step; what is missing weakens the drive.
  const V energy = K.Energy;
  V need = e * vdt;
  const auto short_ = O::Lt(energy, need);
  a = O::Select(short_, a * energy / need, a);
  need = O::Select(short_, energy, need);
  a = MotionSign<O>(a) * MotionMin<O>(O::Abs(a), O::Set(200) * energy);
  K.Energy = MotionBound<O>(energy - need, C.Energy);
  // Out of energy: dies now.
  const auto dies = O::AndNot(O::Gt(K.Dead, O::Set(0.5)), O::Eq(K.Energy, zero));
  K.Dead = O::Select(dies, MotionBound<O>(O::Set(1), C.Dead), K.Dead);
  K.DeathTime = O::Select(dies, O::Set(C.Time), K.DeathTime);

  // Side friction takes 100 x sigma pixels per second off the side speed each second.
  const V side = O::Sqrt(sx * sx + sy * sy);
  const auto sliding = O::Gt(side, O::Set(0.0001));
  const V k = MotionMax<O>(side - O::Set(100 * dt * C.Sigma), zero) / side;
  sx = O::Select(sliding, sx * k, sx);
  sy = O::Select(sliding, sy * k, sy);

  // Steering: full rate from 10 pixels per second forward, less when slower, none at rest.
  K.Angle =
      MotionBound<O>(K.Angle + K.Turn * vdt * MotionMin<O>(f / O::Set(10), O::Set(1)), C.Angle);
  O::SinCos(K.Angle, K.Sin1, K.Cos1);
  const V accX = a * K.Cos1;
  const V accY = a * K.Sin1;

  K.VelX = MotionBound<O>(fx * damp + sx + vdt * accX, C.VelX);
  K.VelY = MotionBound<O>(fy * damp + sy + vdt * accY, C.VelY);
  K.PosX = MotionBound<O>(K.PosX + K.VelX * vdt + accX * O::Set(h), C.PosX);
  K.PosY = MotionBound<O>(K.PosY + K.VelY * vdt + accY * O::Set(h), C.PosY);
}

template <class O> void AdvanceRocket(TRocketMotion<O>& R, const TRocketConstants& C) {
  using V = typename O::V;
  // Pixels per second squared, downward on the screen.
  constexpr double Gravity = 9.8;
  // Air drag: share of the velocities and of the rotation speed kept after each sub-step.
  constexpr double Drag = 0.99;
  constexpr double RotationDrag = 0.9;
  // Thrust of the main engine (pixels per second squared) per unit of energy burnt per second.
  constexpr double MainPerEnergy = 40;
  // The same for the rotation engine (radians per second squared).
  constexpr double RotaPerEnergy = 10;
  const double dt = C.Dt;
  const double h = dt * dt / 2;
  const V zero = O::Set(0);
  const V vdt = O::Set(dt);

  const auto dead = O::Gt(R.Dead, O::Set(0.5));
  R.Main = O::Select(dead, MotionBound<O>(zero, C.Main),
                     MotionBound<O>(R.Main + R.MainPush * vdt, C.Main));
  R.Rota = O::Select(dead, MotionBound<O>(zero, C.Rota),
                     MotionBound<O>(R.Rota + R.RotaPush * vdt, C.Rota));

  // Engines burn energy; what the fuel cannot pay for is cut, the main engine first.
  R.Main = MotionBound<O>(MotionMin<O>(R.Main, O::Set(MainPerEnergy) * R.Energy / vdt), C.Main);
  R.Energy =
      MotionBound<O>(MotionMax<O>(R.Energy - vdt * R.Main / O::Set(MainPerEnergy), zero), C.Energy);
  const V q0 = R.Rota;
  R.Rota = MotionBound<O>(
      MotionSign<O>(q0) * MotionMin<O>(O::Abs(q0), O::Set(RotaPerEnergy) * R.Energy / vdt), C.Rota);
  R.Energy = MotionBound<O>(
      MotionMax<O>(R.Energy - vdt * O::Abs(R.Rota) / O::Set(RotaPerEnergy), zero), C.Energy);

  // Thrust along the heading before this sub-step's rotation, gravity downward.
  const V accX = R.Main * R.Cos0;
  const V accY = R.Main * R.Sin0 + O::Set(Gravity);
  R.VelRot = MotionBound<O>(R.VelRot + R.Rota * vdt, C.VelRot);
  R.VelX = MotionBound<O>(R.VelX + accX * vdt, C.VelX);
  R.VelY = MotionBound<O>(R.VelY + accY * vdt, C.VelY);
  R.Angle = MotionBound<O>(R.Angle + R.VelRot * vdt, C.Angle);
  O::SinCos(R.Angle, R.Sin1, R.Cos1);
  R.PosX = MotionBound<O>(R.PosX + R.VelX * vdt + accX * O::Set(h), C.PosX);
  R.PosY = MotionBound<O>(R.PosY + R.VelY * vdt + accY * O::Set(h), C.PosY);
  R.VelRot = MotionBound<O>(O::Set(RotationDrag) * R.VelRot, C.VelRot);
  R.VelX = MotionBound<O>(O::Set(Drag) * R.VelX, C.VelX);
  R.VelY = MotionBound<O>(O::Set(Drag) * R.VelY, C.VelY);
}
