// The membrane's operators on the nodes of a mesh, for the eigen side: K and M applied element
// by element, the fixed nodes and the load they carry, and the number of node (i, j).
#pragma once

#include <cstdint>
#include <vector>

#include "solver/Element.h"

using NodeVector = std::vector<double>;  // indexed by node number, [0] unused

class MeshOperator {
public:
    // The mesh of divX x divY elements with the boundary values of the option, its element's
    // integrals evaluated by the scheme. Requires counts of at least 1.
    MeshOperator(std::int32_t divX, std::int32_t divY, bool option,
                 Scheme scheme = Scheme::Standard);

    std::int32_t DivX() const { return m_divX; }
    std::int32_t DivY() const { return m_divY; }
    Scheme ElementScheme() const { return m_scheme; }
    int Nodes() const { return m_nodes; }
    std::size_t FreeNodes() const { return m_freeNodes; }
    // Node (i, j), column i = 0..divX, row j = 0..divY.
    int Node(int i, int j) const { return i * (m_divY + 1) + j + 1; }
    bool Fixed(int n) const { return m_fixed[n] != 0; }
    // u: the fixed nodes' values, 0 elsewhere.
    const NodeVector& Load() const { return m_load; }
    // A bound of ||K||: its largest absolute row sum.
    double StiffnessNorm() const { return m_stiffnessNorm; }

    // y = kWeight K x + mWeight M x over the whole mesh, element by element.
    void Apply(double kWeight, double mWeight, const NodeVector& x, NodeVector& y) const;
    // The terms of kWeight K + mWeight M, element by element: a pair of nodes appears once for
    // each element the two share, so that the terms of a pair add up to its entry.
    struct Term {
        int row;
        int col;
        double value;
    };
    std::vector<Term> Terms(double kWeight, double mWeight) const;
    // v[n] = 0 on every fixed node.
    void ZeroFixed(NodeVector& v) const;
    // a^T b over the nodes.
    static double Dot(const NodeVector& a, const NodeVector& b);

private:
    template <class Visit>
    void ForEachTerm(double kWeight, double mWeight, const Visit& visit) const;

    // The element's stiffness (k) and mass (m) entries: diagonal, neighbours along x and y,
    // opposite corners.
    struct Entries {
        double kD, kX, kY, kO;
        double mD, mX, mY, mO;
    };

    Scheme m_scheme = Scheme::Standard;
    std::int32_t m_divX;
    std::int32_t m_divY;
    int m_nodes;
    std::vector<char> m_fixed;  // by node
    NodeVector m_load;
    std::size_t m_freeNodes = 0;
    Entries m_entries{};
    double m_stiffnessNorm = 0.0;
};
