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

template <class O> void AdvanceKart(TBodyMotion<O>& K, const TKartConstants& C) {
  using V = typename O::V;
  // Energy a kart uses per second even at rest.
  constexpr double BaseConsumption = 0.05;
  const double dt = C.Dt;
  const double h = dt * dt / 2;
  const V zero = O::Set(0);
  const V vdt = O::Set(dt);

  // Controls: the decision sets how fast they change, the bounds keep them in range.
  const auto dead = O::Gt(K.F[bfDead], O::Set(0.5));
  K.F[bfControl2] =
      O::Select(dead, MotionBound<O>(zero, C.Bounds[bfControl2]),
                MotionBound<O>(K.F[bfControl2] + K.F[bfPush2] * vdt, C.Bounds[bfControl2]));
  K.F[bfControl1] =
      O::Select(dead, K.F[bfControl1],
                MotionBound<O>(K.F[bfControl1] + K.F[bfPush1] * vdt, C.Bounds[bfControl1]));

  // Velocity split at the heading into a forward and a side part.
  const V c0 = K.Cos0, s0 = K.Sin0;
  const V vx = K.F[bfVelX], vy = K.F[bfVelY];
  V f = c0 * vx + s0 * vy;
  V fx = f * c0, fy = f * s0;
  V sx = vx - fx, sy = vy - fy;

  // Rolling friction grows with forward speed. Kept within [0, 1]: reversing faster than 100
  // pixels per second would otherwise push it past 1 and speed the kart up without bound.
  const V damp =
      MotionClamp<O>(O::Set(1) - O::Set(10 * dt * C.Mu) * (O::Set(1) + O::Set(0.01) * f), 0.0, 1.0);

  // Drive (pixels per second squared) and energy rate (per second).
  const V p = K.F[bfControl2];
  const V p10 = O::Abs(p) / O::Set(10);
  V a = p;
  V e = p10 * p10 / O::Set(10) + O::Set(BaseConsumption);
  const auto reverse = O::Lt(p, zero);
  // Braking: slows the kart down to a stop, never into reverse within this sub-step.
  const auto braking = O::And(reverse, O::Gt(f, zero));
  const V braked = MotionMax<O>(f - O::Set(dt * C.Mu * 100 * C.Bounds[bfControl2].Max) *
                                        O::Abs(p / O::Set(C.Bounds[bfControl2].Min)),
                                zero);
  f = O::Select(braking, braked, f);
  fx = O::Select(braking, f * c0, fx);
  fy = O::Select(braking, f * s0, fy);
  e = O::Select(braking, O::Set(BaseConsumption), e);
  // Reverse drive at a tenth of the force.
  a = O::Select(braking, zero, O::Select(reverse, p / O::Set(10), a));

  // Energy for this sub-step; what is missing weakens the drive.
  const V energy = K.F[bfEnergy];
  V need = e * vdt;
  const auto short_ = O::Lt(energy, need);
  a = O::Select(short_, a * energy / need, a);
  need = O::Select(short_, energy, need);
  a = MotionSign<O>(a) * MotionMin<O>(O::Abs(a), O::Set(200) * energy);
  K.F[bfEnergy] = MotionBound<O>(energy - need, C.Bounds[bfEnergy]);
  // Out of energy: dies now.
  const auto dies = O::AndNot(O::Gt(K.F[bfDead], O::Set(0.5)), O::Eq(K.F[bfEnergy], zero));
  K.F[bfDead] = O::Select(dies, MotionBound<O>(O::Set(1), C.Bounds[bfDead]), K.F[bfDead]);
  K.DeathTime = O::Select(dies, O::Set(C.Time), K.DeathTime);

  // Side friction takes 100 x sigma pixels per second off the side speed each second.
  const V side = O::Sqrt(sx * sx + sy * sy);
  const auto sliding = O::Gt(side, O::Set(0.0001));
  const V k = MotionMax<O>(side - O::Set(100 * dt * C.Sigma), zero) / side;
  sx = O::Select(sliding, sx * k, sx);
  sy = O::Select(sliding, sy * k, sy);

  // Steering: full rate from 10 pixels per second forward, less when slower, none at rest.
  K.F[bfAngle] =
      MotionBound<O>(K.F[bfAngle] + K.F[bfControl1] * vdt * MotionMin<O>(f / O::Set(10), O::Set(1)),
                     C.Bounds[bfAngle]);
  O::SinCos(K.F[bfAngle], K.Sin1, K.Cos1);
  const V accX = a * K.Cos1;
  const V accY = a * K.Sin1;

  K.F[bfVelX] = MotionBound<O>(fx * damp + sx + vdt * accX, C.Bounds[bfVelX]);
  K.F[bfVelY] = MotionBound<O>(fy * damp + sy + vdt * accY, C.Bounds[bfVelY]);
  K.F[bfPosX] =
      MotionBound<O>(K.F[bfPosX] + K.F[bfVelX] * vdt + accX * O::Set(h), C.Bounds[bfPosX]);
  K.F[bfPosY] =
      MotionBound<O>(K.F[bfPosY] + K.F[bfVelY] * vdt + accY * O::Set(h), C.Bounds[bfPosY]);
}

template <class O> void AdvanceRocket(TBodyMotion<O>& R, const TRocketConstants& C) {
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

  const auto dead = O::Gt(R.F[bfDead], O::Set(0.5));
  R.F[bfControl1] =
      O::Select(dead, MotionBound<O>(zero, C.Bounds[bfControl1]),
                MotionBound<O>(R.F[bfControl1] + R.F[bfPush1] * vdt, C.Bounds[bfControl1]));
  R.F[bfControl2] =
      O::Select(dead, MotionBound<O>(zero, C.Bounds[bfControl2]),
                MotionBound<O>(R.F[bfControl2] + R.F[bfPush2] * vdt, C.Bounds[bfControl2]));

  // Engines burn energy; what the fuel cannot pay for is cut, the main engine first.
  R.F[bfControl1] =
      MotionBound<O>(MotionMin<O>(R.F[bfControl1], O::Set(MainPerEnergy) * R.F[bfEnergy] / vdt),
                     C.Bounds[bfControl1]);
  R.F[bfEnergy] = MotionBound<O>(
      MotionMax<O>(R.F[bfEnergy] - vdt * R.F[bfControl1] / O::Set(MainPerEnergy), zero),
      C.Bounds[bfEnergy]);
  const V q0 = R.F[bfControl2];
  R.F[bfControl2] = MotionBound<O>(
      MotionSign<O>(q0) * MotionMin<O>(O::Abs(q0), O::Set(RotaPerEnergy) * R.F[bfEnergy] / vdt),
      C.Bounds[bfControl2]);
  R.F[bfEnergy] = MotionBound<O>(
      MotionMax<O>(R.F[bfEnergy] - vdt * O::Abs(R.F[bfControl2]) / O::Set(RotaPerEnergy), zero),
      C.Bounds[bfEnergy]);

  // Thrust along the heading before this sub-step's rotation, gravity downward.
  const V accX = R.F[bfControl1] * R.Cos0;
  const V accY = R.F[bfControl1] * R.Sin0 + O::Set(Gravity);
  R.F[bfVelRot] = MotionBound<O>(R.F[bfVelRot] + R.F[bfControl2] * vdt, C.Bounds[bfVelRot]);
  R.F[bfVelX] = MotionBound<O>(R.F[bfVelX] + accX * vdt, C.Bounds[bfVelX]);
  R.F[bfVelY] = MotionBound<O>(R.F[bfVelY] + accY * vdt, C.Bounds[bfVelY]);
  R.F[bfAngle] = MotionBound<O>(R.F[bfAngle] + R.F[bfVelRot] * vdt, C.Bounds[bfAngle]);
  O::SinCos(R.F[bfAngle], R.Sin1, R.Cos1);
  R.F[bfPosX] =
      MotionBound<O>(R.F[bfPosX] + R.F[bfVelX] * vdt + accX * O::Set(h), C.Bounds[bfPosX]);
  R.F[bfPosY] =
      MotionBound<O>(R.F[bfPosY] + R.F[bfVelY] * vdt + accY * O::Set(h), C.Bounds[bfPosY]);
  R.F[bfVelRot] = MotionBound<O>(O::Set(RotationDrag) * R.F[bfVelRot], C.Bounds[bfVelRot]);
  R.F[bfVelX] = MotionBound<O>(O::Set(Drag) * R.F[bfVelX], C.Bounds[bfVelX]);
  R.F[bfVelY] = MotionBound<O>(O::Set(Drag) * R.F[bfVelY], C.Bounds[bfVelY]);
}
